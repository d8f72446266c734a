#pragma once
// Reads an imported kick-off into UTC seconds. Two forms:
//   "2025-06-14T19:00:00Z", "2025-06-14T21:00+02:00"  a moment with its UTC offset;
//   "today+2 19:00", "today 20:45", "today-1 18:00"    a UTC time on a day counted
//                                                      from the day of the import (UTC).
// Pure: text and the import's moment in, result out.

#include <cstdint>
#include <optional>
#include <string_view>

class KickoffTime {
public:
    static std::optional<std::int64_t> parse(std::string_view text, std::int64_t nowUtc);
};
