#pragma once
// The requests of one connection, read in turn from its bytes as they arrive:
// a new parser for each request, empty lines before a request skipped, and
// nothing read past a refusal. The event loop keeps one per connection, and the
// fuzz target http_request drives it the same way.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "RequestParser.h"

class RequestStream {
public:
    struct Next {
        enum class Kind {
            more,            // the bytes so far end inside a request, or before one
            request,         // a request read whole
            refused,         // a request refused: nothing after it is read
            continueWanted,  // the header asks for "100 Continue" and no body byte is here
        };
        Kind kind = Kind::more;
        HttpRequest request;  // request, refused: what was read of it
        Refusal refusal = Refusal::badFieldLine;
    };

    explicit RequestStream(RequestParser::Limits limits) : limits(limits) {}

    void append(std::string_view bytes) { held.append(bytes); }
    // What the bytes held give next. After refused, the stream holds nothing more.
    Next next();
    // True while no byte of a request has come: the connection waits for one.
    bool idle() const { return held.empty() && !parser; }
    // Bytes received and not yet taken by a request.
    std::size_t heldBytes() const { return held.size(); }
    // Bytes taken by requests since the connection opened.
    std::uint64_t consumedBytes() const { return consumed; }
    // Drops a request that ran out of time and what is held; what was read of it.
    HttpRequest abandon();

private:
    RequestParser::Limits limits;
    std::string held;
    std::optional<RequestParser> parser;  // the request being read, once it has begun
    bool continueGiven = false;           // for the request being read
    std::uint64_t consumed = 0;
};
