#include "HttpDate.h"

#include <time.h>

std::string HttpDate::format(std::int64_t utcSeconds) {
    const time_t t = static_cast<time_t>(utcSeconds);
    tm fields{};
    gmtime_r(&t, &fields);
    char text[size + 1];
    // The C locale's day and month names are the ones HTTP asks for.
    if (strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &fields) != size) return {};
    return text;
}

std::optional<std::int64_t> HttpDate::parse(std::string_view text) {
    if (text.size() > 64) return std::nullopt;
    const std::string copy(text);
    for (const char* form :
         {"%a, %d %b %Y %H:%M:%S GMT", "%A, %d-%b-%y %H:%M:%S GMT", "%a %b %e %H:%M:%S %Y"}) {
        tm fields{};
        const char* end = strptime(copy.c_str(), form, &fields);
        if (end && *end == '\0') return static_cast<std::int64_t>(timegm(&fields));
    }
    return std::nullopt;
}
