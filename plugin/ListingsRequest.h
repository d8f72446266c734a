#pragma once
// The listings request: a POST of "z=" time zone "&m=" device identity, both
// unescaped, to the listings server; the answer goes into a file.

#include "eString.h"

class ListingsRequest {
public:
    enum class Outcome {
        ok,
        noFile,  // the answer file can't be created; nothing was sent
        failed,  // no connection, a time-out, an HTTP status of 400 or above, an
                 // answer over its size cap, or a failed write of the answer
    };

    // The time zone text of the host's configuration, or the fallback zone.
    static eString timeZone();
    static eString body(const eString& timeZone, const eString& deviceIdentity);
    static Outcome send(const std::string& answerPath, const eString& body);
};
