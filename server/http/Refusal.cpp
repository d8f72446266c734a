#include "Refusal.h"

#include <iterator>

namespace {

struct Row {
    Refusal refusal;
    int status;
    std::string_view name;
};

// In the order of the enum, so that a refusal is its own index.
constexpr Row table[] = {
    {Refusal::bareLineEnd, 400, "bareLineEnd"},
    {Refusal::foldedLine, 400, "foldedLine"},
    {Refusal::badFieldLine, 400, "badFieldLine"},
    {Refusal::badFieldValue, 400, "badFieldValue"},
    {Refusal::badMethod, 400, "badMethod"},
    {Refusal::badTarget, 400, "badTarget"},
    {Refusal::badVersion, 400, "badVersion"},
    {Refusal::unsupportedVersion, 505, "unsupportedVersion"},
    {Refusal::missingHost, 400, "missingHost"},
    {Refusal::repeatedHost, 400, "repeatedHost"},
    {Refusal::badHost, 400, "badHost"},
    {Refusal::lengthWithCoding, 400, "lengthWithCoding"},
    {Refusal::repeatedLength, 400, "repeatedLength"},
    {Refusal::badLength, 400, "badLength"},
    {Refusal::chunkedNotLast, 400, "chunkedNotLast"},
    {Refusal::unknownCoding, 501, "unknownCoding"},
    {Refusal::badChunk, 400, "badChunk"},
    {Refusal::headerTooLarge, 431, "headerTooLarge"},
    {Refusal::targetTooLong, 414, "targetTooLong"},
    {Refusal::bodyTooLarge, 413, "bodyTooLarge"},
    {Refusal::chunkLinesTooLarge, 413, "chunkLinesTooLarge"},
    {Refusal::timedOut, 408, "timedOut"},
    {Refusal::unknownMethod, 501, "unknownMethod"},
    {Refusal::notFound, 404, "notFound"},
    {Refusal::methodNotAllowed, 405, "methodNotAllowed"},
    {Refusal::badBody, 400, "badBody"},
    {Refusal::preconditionFailed, 412, "preconditionFailed"},
};

constexpr bool inOrder() {
    for (std::size_t i = 0; i < std::size(table); ++i) {
        if (static_cast<std::size_t>(table[i].refusal) != i) return false;
    }
    return true;
}
static_assert(inOrder() && std::size(table) == refusalCount,
              "one row per refusal, in the enum's order");

}  // namespace

int statusOf(Refusal refusal) {
    return table[static_cast<std::size_t>(refusal)].status;
}

std::string_view nameOf(Refusal refusal) {
    return table[static_cast<std::size_t>(refusal)].name;
}

bool closesConnection(Refusal refusal) {
    return refusal < Refusal::unknownMethod;
}
