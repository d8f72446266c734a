// The listings server's HTTP request reader on any bytes as they arrive on a
// connection.

#include <cstdint>
#include <string_view>

#include "HttpMessage.h"

namespace {

constexpr std::size_t maxHeader = 512;
constexpr std::size_t maxBody = 256;

RequestReader::Result readFrom(std::string_view buffer) {
    HttpRequest request;
    return RequestReader::read(buffer, maxHeader, maxBody, request);
}

bool isRefusal(int status) {
    return status == 400 || status == 411 || status == 413 || status == 431;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view buffer(reinterpret_cast<const char*>(data), size);
    HttpRequest request;
    const auto result = RequestReader::read(buffer, maxHeader, maxBody, request);

    switch (result.state) {
        case RequestReader::State::incomplete:
            // Waiting for more is bounded: past the limits the reader must refuse.
            if (size > maxHeader + maxBody) __builtin_trap();
            break;
        case RequestReader::State::failed:
            if (!isRefusal(result.status)) __builtin_trap();
            break;
        case RequestReader::State::complete: {
            if (result.consumed == 0 || result.consumed > size) __builtin_trap();
            if (request.body.size() > maxBody) __builtin_trap();
            if (buffer.substr(result.consumed - request.body.size(), request.body.size()) !=
                request.body) {
                __builtin_trap();
            }
            // A request split across reads: every shorter part waits for the rest,
            // and the request alone reads the same.
            for (std::size_t cut : {result.consumed - 1, result.consumed / 2, std::size_t(1)}) {
                if (cut < result.consumed &&
                    readFrom(buffer.substr(0, cut)).state != RequestReader::State::incomplete) {
                    __builtin_trap();
                }
            }
            const auto alone = readFrom(buffer.substr(0, result.consumed));
            if (alone.state != RequestReader::State::complete ||
                alone.consumed != result.consumed) {
                __builtin_trap();
            }
            break;
        }
    }
    return 0;
}
