#include "FieldRule.h"

const FieldRule FieldRule::title{"title", 199, Kind::text};
const FieldRule FieldRule::country1{"country1", 19, Kind::fileName};
const FieldRule FieldRule::picture{"picture", 19, Kind::fileName};
const FieldRule FieldRule::country2{"country2", 19, Kind::fileName};
const FieldRule FieldRule::channelName{"name", 99, Kind::text};
const FieldRule FieldRule::frequency{"frequency", 9, Kind::text};
const FieldRule FieldRule::polarisation{"polarisation", 9, Kind::text};
const FieldRule FieldRule::fec{"fec", 9, Kind::text};
const FieldRule FieldRule::encryption{"encryption", 99, Kind::text};
const FieldRule FieldRule::pictureName{"name", 19, Kind::fileName};

namespace {

bool isFileNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

}  // namespace

std::optional<std::string> FieldRule::problem(std::string_view value) const {
    if (value.empty()) return std::string("is empty");
    if (static_cast<int>(value.size()) > capacity) {
        return "is " + std::to_string(value.size()) + " bytes long, more than " +
               std::to_string(capacity);
    }
    if (kind == Kind::fileName) {
        if (value.front() == '.') return std::string("starts with '.'");
        for (unsigned char c : value) {
            if (!isFileNameChar(c)) {
                return std::string("may hold only letters, digits, '.', '_' and '-'");
            }
        }
        return std::nullopt;
    }
    for (unsigned char c : value) {
        if (c == '#') return std::string("contains '#'");
        if (c == '\n' || c == '\r') return std::string("contains a line break");
        if (c < 0x20 || c == 0x7f) return std::string("contains a control character");
    }
    return std::nullopt;
}

std::string FieldRule::sqlCheck() const {
    const std::string c = column;
    std::string check = "typeof(" + c + ") = 'text' AND length(CAST(" + c +
                        " AS BLOB)) BETWEEN 1 AND " + std::to_string(capacity);
    if (kind == Kind::fileName) {
        check += " AND NOT " + c + " GLOB '*[^A-Za-z0-9._-]*' AND NOT " + c + " GLOB '.*'";
    } else {
        // Control characters 1 to 31, '#' and DEL; NUL is looked for in the bytes, since
        // text functions stop at it.
        std::string codes;
        for (int i = 1; i < 32; ++i) codes += std::to_string(i) + ",";
        codes += "35,127";
        check += " AND NOT " + c + " GLOB '*[' || char(" + codes + ") || ']*'";
        check += " AND instr(CAST(" + c + " AS BLOB), x'00') = 0";
    }
    return check;
}
