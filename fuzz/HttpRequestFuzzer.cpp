// The listings server's request handling on any bytes as they arrive on a
// connection: the RequestStream that the event loop keeps for each connection,
// fed all the bytes at once, a byte at a time and 7 bytes at a time. All three
// must read the same requests and stop at the same place, every refusal must
// be one that framing can cause, a client waiting to send its body is told to
// go on at most once per request, and what waits for more stays within the
// header limit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "RequestStream.h"

namespace {

const RequestParser::Limits limits{512, 256, 128};

struct Read {
    RequestStream::Next::Kind kind;
    Refusal refusal;
    std::uint64_t consumed;  // of all the bytes, up to the end of this request
    HttpRequest request;
};

bool same(const HttpRequest& a, const HttpRequest& b) {
    return a.method == b.method && a.path == b.path && a.body == b.body &&
           a.userAgent == b.userAgent && a.keepAlive == b.keepAlive && a.http10 == b.http10 &&
           a.expectsContinue == b.expectsContinue && a.conditions.ifMatch == b.conditions.ifMatch &&
           a.conditions.ifNoneMatch == b.conditions.ifNoneMatch &&
           a.conditions.ifModifiedSince == b.conditions.ifModifiedSince &&
           a.conditions.ifUnmodifiedSince == b.conditions.ifUnmodifiedSince;
}

// The requests read from bytes that arrive `piece` at a time, until one is refused or the
// bytes end.
std::vector<Read> readAll(std::string_view bytes, std::size_t piece) {
    using Kind = RequestStream::Next::Kind;
    std::vector<Read> reads;
    RequestStream stream(limits);
    bool continued = false;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        stream.append(bytes.substr(at, piece));
        for (RequestStream::Next n = stream.next(); n.kind != Kind::more; n = stream.next()) {
            if (n.kind == Kind::continueWanted) {
                if (continued) __builtin_trap();  // told twice
                continued = true;
                continue;
            }
            continued = false;
            reads.push_back({n.kind, n.refusal, stream.consumedBytes(), n.request});
            if (n.kind == Kind::refused) {
                if (stream.heldBytes() != 0 || !closesConnection(n.refusal)) __builtin_trap();
                return reads;
            }
        }
        if (stream.heldBytes() > limits.maxHeaderBytes) __builtin_trap();  // bounded waiting
    }
    return reads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<Read> whole = readAll(bytes, size ? size : 1);
    for (const Read& r : whole) {
        if (r.request.body.size() > limits.maxBodyBytes || r.consumed > size) __builtin_trap();
        if (r.kind == RequestStream::Next::Kind::refused && r.refusal == Refusal::timedOut)
            __builtin_trap();
    }
    // Split into reads, the same requests come, each ending at the same byte; a refusal may
    // name another reason when it is seen earlier.
    for (std::size_t piece : {std::size_t(1), std::size_t(7)}) {
        const std::vector<Read> split = readAll(bytes, piece);
        if (split.size() != whole.size()) __builtin_trap();
        for (std::size_t i = 0; i < split.size(); ++i) {
            if (split[i].kind != whole[i].kind) __builtin_trap();
            if (split[i].kind == RequestStream::Next::Kind::request &&
                (split[i].consumed != whole[i].consumed ||
                 !same(split[i].request, whole[i].request))) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
