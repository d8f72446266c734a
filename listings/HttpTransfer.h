#pragma once
// One libcurl easy handle, held for its owner's lifetime, and the transfers the
// plug-in makes over it. Every transfer is bounded by its TransferLimits: a
// time-out or a body over the size cap counts as a failed transfer. The
// response body is written into the given open file as it arrives; a write
// that fails, including the flush of the last buffered bytes, fails the
// transfer too.

#include <cstdio>
#include <string>

#include "TransferLimits.h"

typedef void CURL;

class HttpTransfer {
public:
    explicit HttpTransfer(TransferLimits limits = TransferLimits::fromConfig());
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // False when curl_easy_init gave no handle; every transfer then fails.
    bool valid() const { return handle != nullptr; }

    // The deadline of the next transfers, when it must be shorter than the configured one.
    void setTotalMilliseconds(long milliseconds) { limits.totalMilliseconds = milliseconds; }

    // POST of body to url with the User-Agent; statuses of 400 and above fail.
    // Returns libcurl's result (0 is success); a missing handle gives a non-zero value.
    int post(const std::string& url, const char* userAgent, const std::string& body, FILE* out);
    // GET of url into out, with the same rules.
    int get(const std::string& url, const char* userAgent, FILE* out);

private:
    int perform(FILE* out);

    CURL* handle;
    TransferLimits limits;
    bool posted = false;
};
