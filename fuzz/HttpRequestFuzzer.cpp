// The listings server's request framing on any bytes as they arrive on a
// connection: requests read one after another with a new parser each, as the
// server's event loop reads them, once from all the bytes at once and once from
// reads of a few bytes. Both must read the same requests and stop at the same
// place, and what waits for more stays within the header limit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RequestParser.h"

namespace {

const RequestParser::Limits limits{512, 256};

struct Read {
    RequestParser::State state;
    int status;
    std::size_t consumed;  // of all the bytes, up to the end of this request
    HttpRequest request;
};

bool same(const HttpRequest& a, const HttpRequest& b) {
    return a.method == b.method && a.path == b.path && a.body == b.body &&
           a.userAgent == b.userAgent && a.keepAlive == b.keepAlive && a.http10 == b.http10;
}

// The requests read from bytes that arrive `piece` at a time, until one is refused or the
// bytes end.
std::vector<Read> readAll(std::string_view bytes, std::size_t piece) {
    std::vector<Read> reads;
    std::string held;  // what the connection holds, not yet consumed
    std::size_t consumed = 0;
    std::optional<RequestParser> parser{std::in_place, limits};
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t take = std::min(piece, bytes.size() - at);
        held.append(bytes.substr(at, take));
        at += take;
        for (;;) {
            const RequestParser::Result r = parser->read(held);
            if (r.consumed > held.size()) __builtin_trap();
            held.erase(0, r.consumed);
            consumed += r.consumed;
            if (r.state == RequestParser::State::incomplete) {
                if (held.size() > limits.maxHeaderBytes) __builtin_trap();  // bounded waiting
                break;
            }
            reads.push_back({r.state, r.status, consumed, parser->request()});
            if (r.state == RequestParser::State::refused) return reads;
            parser.emplace(limits);
            if (held.empty()) break;
        }
    }
    return reads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<Read> whole = readAll(bytes, size);
    for (const Read& r : whole) {
        if (r.state == RequestParser::State::refused) {
            const int s = r.status;
            if (s != 400 && s != 413 && s != 431 && s != 501 && s != 505) __builtin_trap();
        } else if (r.request.body.size() > limits.maxBodyBytes || r.consumed > size) {
            __builtin_trap();
        }
    }
    // Split into reads, the same requests come, each ending at the same byte; a refusal may
    // name another reason when it is seen earlier.
    for (std::size_t piece : {std::size_t(1), std::size_t(7)}) {
        const std::vector<Read> split = readAll(bytes, piece);
        if (split.size() != whole.size()) __builtin_trap();
        for (std::size_t i = 0; i < split.size(); ++i) {
            if (split[i].state != whole[i].state) __builtin_trap();
            if (split[i].state == RequestParser::State::complete &&
                (split[i].consumed != whole[i].consumed ||
                 !same(split[i].request, whole[i].request))) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
