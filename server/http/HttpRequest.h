#pragma once
// A request as the server read it off a connection: what the service and the
// request log need of it, nothing more.

#include <string>

struct HttpRequest {
    std::string method;
    std::string path;  // the target's path, percent-decoded, without the query
    std::string body;  // a chunked body decoded
    std::string userAgent;
    std::string remoteAddress;
    bool keepAlive = true;
    bool http10 = false;  // an HTTP/1.0 client keeps a connection only when it asks to
};
