#include "RequestStream.h"

RequestStream::Next RequestStream::next() {
    Next n;
    if (held.empty()) return n;
    if (!parser) {
        parser.emplace(limits);
        continueGiven = false;
    }
    const RequestParser::Result r = parser->read(held);
    held.erase(0, r.consumed);
    consumed += r.consumed;
    if (r.state == RequestParser::State::incomplete) {
        // Only empty lines came: the connection still waits for a request.
        if (held.empty() && !parser->headerRead()) parser.reset();
        // A client that waits for "100 Continue" gets it once its header is read, unless
        // the body began to come anyway (RFC 9110, section 10.1.1).
        if (parser && parser->headerRead() && parser->request().expectsContinue &&
            !parser->bodyBegun() && held.empty() && !continueGiven) {
            continueGiven = true;
            n.kind = Next::Kind::continueWanted;
        }
        return n;
    }
    n.request = std::move(parser->request());
    parser.reset();
    if (r.state == RequestParser::State::refused) {
        held.clear();
        n.kind = Next::Kind::refused;
        n.refusal = r.refusal;
    } else {
        n.kind = Next::Kind::request;
    }
    return n;
}

HttpRequest RequestStream::abandon() {
    HttpRequest partial = parser ? std::move(parser->request()) : HttpRequest{};
    parser.reset();
    held.clear();
    return partial;
}
