#pragma once
// Every way the server turns a request down, each with one status. The names
// are those of the request log ("refused=badTarget"), of docs/server.md's
// tables and of tests/server/conformance.txt.

#include <cstddef>
#include <string_view>

enum class Refusal {
    // The request's framing: the connection is closed after the answer.
    bareLineEnd,         // a CR or LF alone in the header section, a chunk line or the trailer
    foldedLine,          // a field line that begins with a blank (obs-fold)
    badFieldLine,        // a line that isn't "name: value", such as a blank before the colon
    badFieldValue,       // a control character other than a tab in a field value
    badMethod,           // a method that isn't a token
    badTarget,           // a target that is neither a path, an http(s) URI nor "*" for OPTIONS
    badVersion,          // no version, or one that isn't "HTTP/x.y"
    unsupportedVersion,  // HTTP/x.y other than 1.x
    missingHost,         // no Host in HTTP/1.1
    repeatedHost,        // two Host fields
    badHost,             // a Host that isn't host[:port]
    lengthWithCoding,    // Content-Length beside Transfer-Encoding
    repeatedLength,      // two Content-Length fields, even equal ones
    badLength,           // a Content-Length that isn't all digits or doesn't fit
    chunkedNotLast,      // codings without chunked last, or chunked twice
    unknownCoding,       // a coding other than chunked alone
    badChunk,            // a chunk's size line, extension or end that isn't well formed
    headerTooLarge,      // a header section over its limit
    targetTooLong,       // a request line over its limit
    bodyTooLarge,        // a body over its limit
    chunkLinesTooLarge,  // a chunked body's size lines and trailer over the header limit
    timedOut,            // header and body not whole by the request deadline
    // The request was read whole: the connection stays open.
    unknownMethod,       // a method this server doesn't implement
    notFound,            // nothing at this path
    methodNotAllowed,    // a method the resource doesn't take; the answer says which it does
    badBody,             // a body that the resource can't read
    preconditionFailed,  // If-Match or If-Unmodified-Since doesn't hold
};

constexpr std::size_t refusalCount = 1 + static_cast<std::size_t>(Refusal::preconditionFailed);

int statusOf(Refusal refusal);
std::string_view nameOf(Refusal refusal);
// Whether the connection must close: what follows the request can't be framed.
bool closesConnection(Refusal refusal);
