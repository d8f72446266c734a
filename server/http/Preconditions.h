#pragma once
// A GET or HEAD request's preconditions (RFC 9110, section 13) evaluated against
// a response with validators, in the order section 13.2.2 gives: If-Match, else
// If-Unmodified-Since; then If-None-Match, else If-Modified-Since. Range is not
// served, so the whole response goes out when they hold.

#include "HttpRequest.h"
#include "HttpResponse.h"

class Preconditions {
public:
    enum class Outcome { send, notModified, failed };

    static Outcome evaluate(const HttpRequest::Conditions& conditions,
                            const HttpResponse& response);
};
