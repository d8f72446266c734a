#pragma once
// A request as the server read it off a connection: what the service, the
// preconditions and the request log need of it, nothing more.

#include <string>

struct HttpRequest {
    // The conditional fields (RFC 9110, section 13.1), as sent; repeated ones joined by ", ".
    struct Conditions {
        std::string ifMatch;
        std::string ifNoneMatch;
        std::string ifModifiedSince;
        std::string ifUnmodifiedSince;
    };

    std::string method;
    std::string path;  // the target's path, percent-decoded, without the query
    std::string body;  // a chunked body decoded
    std::string userAgent;
    std::string remoteAddress;
    Conditions conditions;
    bool keepAlive = true;
    bool http10 = false;           // an HTTP/1.0 client keeps a connection only when it asks to
    bool expectsContinue = false;  // "Expect: 100-continue" from an HTTP/1.1 client
    std::string logNote;           // what the handler adds to the request's log line
};
