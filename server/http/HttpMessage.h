#pragma once
// HTTP/1.x messages as the server sees them: a request read off a connection,
// and an answer whose status line and headers are written once, so that a
// cached answer goes out without being formatted again.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct HttpRequest {
    std::string method;
    std::string path;  // percent-decoded, without the query
    std::string body;
    std::string userAgent;
    std::string remoteAddress;
    bool keepAlive = true;
    bool http10 = false;  // an HTTP/1.0 client keeps a connection only when told so
};

struct HttpAnswer {
    int status = 200;
    std::string head;  // status line and headers, without "Connection" and the blank line
    std::string body;
    std::string zone;  // the X-Listings-Zone header's value, or empty

    static std::shared_ptr<const HttpAnswer> make(int status, std::string_view contentType,
                                                  std::string body, std::string zone = "");
    // A plain-text answer whose body is the status line, such as "404 Not Found\n".
    static std::shared_ptr<const HttpAnswer> plain(int status);
    static std::string statusText(int status);
};

class RequestReader {
public:
    enum class State { incomplete, complete, failed };
    struct Result {
        State state = State::incomplete;
        int status = 0;            // failed: the status to answer with
        std::size_t consumed = 0;  // complete: the bytes the request took
    };

    // Reads the first request of buffer into request. A header over maxHeaderBytes fails
    // with 431, a declared body over maxBodyBytes with 413 (without waiting for it), a
    // chunked body with 411, anything that isn't HTTP/1.x with 400.
    static Result read(std::string_view buffer, std::size_t maxHeaderBytes,
                       std::size_t maxBodyBytes, HttpRequest& request);
};
