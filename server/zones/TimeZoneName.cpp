#include "TimeZoneName.h"

#include <cctype>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

// Reads up to maxDigits decimal digits; false when there is none.
bool readNumber(std::string_view& s, int maxDigits, int& value) {
    int digits = 0;
    value = 0;
    while (!s.empty() && digits < maxDigits &&
           std::isdigit(static_cast<unsigned char>(s.front()))) {
        value = value * 10 + (s.front() - '0');
        s.remove_prefix(1);
        ++digits;
    }
    return digits > 0;
}

// "GMT", "UTC", optionally followed by a sign, hours and optionally ":MM" or "MM".
// Consumes what it reads; nothing when the text doesn't start like that.
std::optional<int> readOffset(std::string_view& s) {
    std::string_view rest = s;
    if (!startsWithNoCase(rest, "GMT") && !startsWithNoCase(rest, "UTC")) return std::nullopt;
    rest.remove_prefix(3);
    int minutes = 0;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        const int sign = rest.front() == '-' ? -1 : 1;
        rest.remove_prefix(1);
        int hours = 0;
        if (!readNumber(rest, 2, hours)) return std::nullopt;
        int mins = 0;
        if (!rest.empty() && rest.front() == ':') {
            rest.remove_prefix(1);
            if (!readNumber(rest, 2, mins)) return std::nullopt;
        } else {
            readNumber(rest, 2, mins);
        }
        if (mins >= 60) return std::nullopt;
        minutes = sign * (hours * 60 + mins);
        if (minutes < -12 * 60 || minutes > 14 * 60) return std::nullopt;
    }
    s = rest;
    return minutes;
}

}  // namespace

TimeZoneName TimeZoneName::parse(std::string_view text) {
    TimeZoneName result;
    std::string_view rest = trim(text);

    if (!rest.empty() && rest.front() == '(') {
        std::string_view inner = rest.substr(1);
        const std::size_t close = inner.find(')');
        if (close != std::string_view::npos) {
            std::string_view head = trim(inner.substr(0, close));
            std::optional<int> offset = readOffset(head);
            if (offset && trim(head).empty()) {
                result.offsetMinutes = offset;
                rest = inner.substr(close + 1);
            }
        }
    } else {
        std::string_view head = rest;
        std::optional<int> offset = readOffset(head);
        // Only a whole word: "GMT+1 Berlin" or "UTC", not "Utcheck".
        if (offset && (head.empty() || isBlank(head.front()) || head.front() == ',')) {
            result.offsetMinutes = offset;
            rest = head;
        }
    }

    while (!rest.empty()) {
        std::size_t end = rest.find_first_of(",;:");
        std::string_view part = trim(rest.substr(0, end));
        if (!part.empty()) result.places.emplace_back(part);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return result;
}
