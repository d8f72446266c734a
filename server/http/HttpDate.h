#pragma once
// HTTP's dates (RFC 9110, section 5.6.7): written as IMF-fixdate,
// "Sun, 06 Nov 1994 08:49:37 GMT", always 29 bytes; read in that form and in
// the two obsolete ones, "Sunday, 06-Nov-94 08:49:37 GMT" and
// "Sun Nov  6 08:49:37 1994".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class HttpDate {
public:
    static constexpr std::size_t size = 29;

    static std::string format(std::int64_t utcSeconds);
    // Seconds since the epoch, or nothing when text is no HTTP date.
    static std::optional<std::int64_t> parse(std::string_view text);
};
