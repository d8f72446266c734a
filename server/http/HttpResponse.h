#pragma once
// A response whose status line and headers are written once, so that one kept
// in memory goes out again without being formatted anew. The write path adds
// "Date" and "Connection".

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Refusal.h"

struct HttpResponse {
    int status = 200;
    std::string head;  // status line and headers, without "Date", "Connection" and the blank line
    std::string body;
    std::string logNote;  // what the request log adds to its line, such as "zone=UTC"
    // A response with validators: its entity tag (quoted), its last change (UTC seconds, or
    // -1 when unknown), and the 304 that a conditional request gets instead of it.
    std::string etag;
    std::int64_t lastModified = -1;
    std::shared_ptr<const HttpResponse> notModified;

    // extraHeaders: whole header lines, each ending in "\r\n".
    static std::shared_ptr<HttpResponse> make(int status, std::string_view contentType,
                                              std::string body, std::string_view extraHeaders = {});
    // A 200 with validators. cacheHeaders go on it and on its 304 alike (RFC 9110, 15.4.5).
    static std::shared_ptr<HttpResponse> withValidators(std::string_view contentType,
                                                        std::string body, std::string etag,
                                                        std::int64_t lastModified,
                                                        std::string_view cacheHeaders);
    // The answer to a refused request: its status, the refusal's name in the log, and a body
    // that says why (the status text when why is empty).
    static std::shared_ptr<const HttpResponse> refusal(Refusal refusal,
                                                       std::string_view extraHeaders = {},
                                                       std::string_view why = {});
    // A plain-text response whose body is the status line, such as "500 Internal Server Error\n".
    static std::shared_ptr<HttpResponse> plain(int status);
    static std::string statusText(int status);
};
