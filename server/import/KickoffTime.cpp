#include "KickoffTime.h"

#include <date/date.h>

#include <chrono>

namespace {

// Reads exactly n digits.
bool digits(std::string_view& s, int n, int& value) {
    if (static_cast<int>(s.size()) < n) return false;
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    s.remove_prefix(n);
    return true;
}

bool literal(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

// "HH:MM" with an optional ":SS", as seconds into the day.
std::optional<int> timeOfDay(std::string_view& s, bool allowSeconds) {
    int h = 0, m = 0, sec = 0;
    if (!digits(s, 2, h) || !literal(s, ':') || !digits(s, 2, m)) return std::nullopt;
    if (allowSeconds && !s.empty() && s.front() == ':') {
        s.remove_prefix(1);
        if (!digits(s, 2, sec)) return std::nullopt;
    }
    if (h > 23 || m > 59 || sec > 59) return std::nullopt;
    return h * 3600 + m * 60 + sec;
}

std::optional<std::int64_t> relative(std::string_view s, std::int64_t nowUtc) {
    s.remove_prefix(5);  // "today"
    int days = 0;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        const int sign = s.front() == '-' ? -1 : 1;
        s.remove_prefix(1);
        int n = 0, count = 0;
        while (!s.empty() && s.front() >= '0' && s.front() <= '9' && count < 4) {
            n = n * 10 + (s.front() - '0');
            s.remove_prefix(1);
            ++count;
        }
        if (count == 0 || n > 366) return std::nullopt;
        days = sign * n;
    }
    if (!literal(s, ' ')) return std::nullopt;
    std::optional<int> time = timeOfDay(s, false);
    if (!time || !s.empty()) return std::nullopt;
    const auto today = date::floor<date::days>(date::sys_seconds{std::chrono::seconds{nowUtc}});
    return (today + date::days{days}).time_since_epoch().count() * 86400LL + *time;
}

std::optional<std::int64_t> absolute(std::string_view s) {
    int y = 0, mo = 0, d = 0;
    if (!digits(s, 4, y) || !literal(s, '-') || !digits(s, 2, mo) || !literal(s, '-') ||
        !digits(s, 2, d) || !literal(s, 'T')) {
        return std::nullopt;
    }
    const date::year_month_day day{date::year{y}, date::month(mo), date::day(d)};
    if (!day.ok()) return std::nullopt;
    std::optional<int> time = timeOfDay(s, true);
    if (!time || s.empty()) return std::nullopt;
    int offset = 0;
    if (s == "Z") {
        s.remove_prefix(1);
    } else if (s.front() == '+' || s.front() == '-') {
        const int sign = s.front() == '-' ? -1 : 1;
        s.remove_prefix(1);
        int oh = 0, om = 0;
        if (!digits(s, 2, oh) || !literal(s, ':') || !digits(s, 2, om) || oh > 14 || om > 59) {
            return std::nullopt;
        }
        offset = sign * (oh * 3600 + om * 60);
    }
    if (!s.empty()) return std::nullopt;
    return date::sys_days{day}.time_since_epoch().count() * 86400LL + *time - offset;
}

}  // namespace

std::optional<std::int64_t> KickoffTime::parse(std::string_view text, std::int64_t nowUtc) {
    if (text.substr(0, 5) == "today") return relative(text, nowUtc);
    return absolute(text);
}
