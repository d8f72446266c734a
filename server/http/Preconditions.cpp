#include "Preconditions.h"

#include "HttpDate.h"

namespace {

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// Whether a list of entity tags, or "*", names the tag. The weak comparison takes W/"x" as
// "x"; the strong one doesn't match weak tags at all.
bool listed(std::string_view list, std::string_view etag, bool weak) {
    if (trimmed(list) == "*") return true;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view tag = trimmed(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (tag.substr(0, 2) == "W/") {
            if (!weak) continue;
            tag.remove_prefix(2);
        }
        if (tag == etag) return true;
    }
    return false;
}

}  // namespace

Preconditions::Outcome Preconditions::evaluate(const HttpRequest::Conditions& c,
                                               const HttpResponse& response) {
    const bool dated = response.lastModified >= 0;
    if (!c.ifMatch.empty()) {
        if (!listed(c.ifMatch, response.etag, false)) return Outcome::failed;
    } else if (dated && !c.ifUnmodifiedSince.empty()) {
        const auto since = HttpDate::parse(c.ifUnmodifiedSince);
        if (since && response.lastModified > *since) return Outcome::failed;
    }
    if (!c.ifNoneMatch.empty()) {
        if (listed(c.ifNoneMatch, response.etag, true)) return Outcome::notModified;
    } else if (dated && !c.ifModifiedSince.empty()) {
        const auto since = HttpDate::parse(c.ifModifiedSince);
        if (since && response.lastModified <= *since) return Outcome::notModified;
    }
    return Outcome::send;
}
