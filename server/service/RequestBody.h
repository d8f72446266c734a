#pragma once
// Reads the raw bodies that receivers post, exactly as they are sent: nothing
// is URL-decoded, since the time zone text holds '+' and blanks.
//   listings: "z=<time zone text>&m=<device identity>"
//   channels: "id=<int>&f=<int>&m=<device identity>"
// The device identity is what follows the last "&m=": six two-digit hexadecimal
// bytes separated by ':'. Pure: text in, result out.

#include <cstdint>
#include <string>
#include <string_view>

class RequestBody {
public:
    struct Listings {
        std::string zoneName;
        std::string device;
    };
    struct Channels {
        std::int32_t matchId = 0;
        std::int32_t filter = 0;
        std::string device;
    };
    // A parse result: error is empty when value holds what was read.
    template <typename T>
    struct Result {
        T value;
        std::string error;
        bool ok() const { return error.empty(); }
    };

    static Result<Listings> parseListings(std::string_view body);
    static Result<Channels> parseChannels(std::string_view body);

    // The device identity for the request log, from any body: the text after the
    // last "&m=" (or a leading "m="), at most 32 bytes, with unprintable bytes as '?';
    // "-" when there is none.
    static std::string deviceForLog(std::string_view body);
};
