#pragma once
// A response whose status line and headers are written once, so that one kept
// in memory goes out again without being formatted anew.

#include <memory>
#include <string>
#include <string_view>

struct HttpResponse {
    int status = 200;
    std::string head;  // status line and headers, without "Connection" and the blank line
    std::string body;
    std::string logNote;  // what the request log adds to its line, such as "zone=UTC"

    // extraHeaders: whole header lines, each ending in "\r\n".
    static std::shared_ptr<HttpResponse> make(int status, std::string_view contentType,
                                              std::string body, std::string_view extraHeaders = {});
    // A plain-text response whose body is the status line, such as "404 Not Found\n".
    static std::shared_ptr<HttpResponse> plain(int status);
    static std::string statusText(int status);
};
