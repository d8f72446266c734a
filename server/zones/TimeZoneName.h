#pragma once
// Reads a receiver's time zone display name such as
// "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb" into its GMT offset and the
// places it names. Pure: text in, result out; any input is accepted.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TimeZoneName {
    // Minutes east of GMT, when the text starts with one: "(GMT+05:30)", "(GMT)",
    // "(UTC-03:00)", "GMT+1". Offsets beyond -12:00 and +14:00 count as none.
    std::optional<int> offsetMinutes;
    // The parts after the offset, split at ',', ';' and ':' and trimmed, in order.
    std::vector<std::string> places;

    static TimeZoneName parse(std::string_view text);
};
