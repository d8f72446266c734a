#pragma once
// Reads one HTTP/1.1 request off a connection as its bytes arrive: Boost.Beast's
// request parser frames it (methods and field names are tokens, values hold no
// control characters, Content-Length and chunked bodies within their limits),
// and the checks around it refuse at once what RFC 9112 asks a server to refuse
// and Beast lets through: a bare CR or LF anywhere in the header section, folded
// lines, a missing or repeated Host, a target that is neither a path nor an
// absolute http URI, repeated or non-numeric lengths, and transfer codings other
// than chunked alone. Empty lines before a request are skipped, and a later
// HTTP/1.x minor version is read as HTTP/1.1. Each refusal is named (Refusal.h).

#include <boost/beast/http/basic_parser.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "HttpRequest.h"
#include "Refusal.h"

class RequestParser : private boost::beast::http::basic_parser<true> {
public:
    struct Limits {
        std::size_t maxHeaderBytes = 65536;
        std::size_t maxBodyBytes = 4096;
        std::size_t maxRequestLineBytes = 16384;  // twice the 8 KiB that nginx forwards
    };
    enum class State { incomplete, complete, refused };
    struct Result {
        State state = State::incomplete;
        Refusal refusal = Refusal::badFieldLine;  // when refused: why
        std::size_t consumed = 0;  // the bytes of the input taken; the caller drops them
    };

    explicit RequestParser(Limits limits);

    // Reads on from the bytes the connection holds and no earlier call consumed. A request
    // refused is refused for good: its connection must be closed after the answer.
    Result read(std::string_view input);
    // True once the header section was read: its bytes are consumed, the body's may be too.
    bool headerRead() const { return headerFed; }
    // True once any byte of the body was taken.
    bool bodyBegun() const { return bodyBytes > 0; }
    // What was read so far: whole once read() returned complete.
    HttpRequest& request() { return parsed; }

private:
    using error_code = boost::beast::error_code;
    using string_view = boost::beast::string_view;
    using field = boost::beast::http::field;
    using verb = boost::beast::http::verb;

    Result headerSection(std::string_view input);
    Refusal refusal(const error_code& ec) const;
    Result refuse(Refusal why, std::size_t consumed = 0);

    void on_request_impl(verb method, string_view methodText, string_view target, int version,
                         error_code& ec) override;
    void on_response_impl(int, string_view, int, error_code&) override {}
    void on_field_impl(field name, string_view nameText, string_view value,
                       error_code& ec) override;
    void on_header_impl(error_code& ec) override;
    void on_body_init_impl(const boost::optional<std::uint64_t>& length, error_code& ec) override;
    std::size_t on_body_impl(string_view body, error_code& ec) override;
    void on_chunk_header_impl(std::uint64_t size, string_view extensions, error_code& ec) override;
    std::size_t on_chunk_body_impl(std::uint64_t remain, string_view body, error_code& ec) override;
    void on_finish_impl(error_code&) override {}

    Limits limits;
    HttpRequest parsed;
    std::size_t scanned = 0;  // bytes of the header section found well formed so far
    bool headerFed = false;   // the header section went to Beast
    bool requestLineRead = false;
    std::optional<Refusal> refused;  // what our own checks refused
    int hosts = 0;
    int lengths = 0;
    bool closeAsked = false;
    bool keepAliveAsked = false;
    bool codingsGiven = false;
    std::string codings;          // the transfer codings, in order, each followed by ','
    std::uint64_t chunkLeft = 0;  // bytes of the current chunk's data still to come
    std::size_t bodyBytes = 0;    // bytes taken after the header section
};
