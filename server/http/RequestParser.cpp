#include "RequestParser.h"

#include <boost/beast/http/error.hpp>
#include <boost/beast/http/rfc7230.hpp>

#include <cctype>

namespace http = boost::beast::http;

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// unreserved and sub-delims of RFC 3986: what a host name may hold besides "%XX".
bool isHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("-._~!$&'()*+,;=").find(c) != std::string_view::npos;
}

// What a path and query may hold besides "%XX".
bool isPathChar(char c) {
    return isHostChar(c) || c == ':' || c == '@' || c == '/' || c == '?';
}

// Every '%' begins "%XX", and every other character passes allowed.
bool isEncoded(std::string_view text, bool (*allowed)(char)) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0)
                return false;
            i += 2;
        } else if (!allowed(text[i])) {
            return false;
        }
    }
    return true;
}

// uri-host [":" port], as Host and an absolute target carry it; no user part.
bool isAuthority(std::string_view text) {
    std::size_t hostEnd = 0;
    if (!text.empty() && text[0] == '[') {
        hostEnd = text.find(']');
        if (hostEnd == std::string_view::npos || hostEnd == 1) return false;
        for (char c : text.substr(1, hostEnd - 1)) {
            if (hexValue(c) < 0 && c != ':' && c != '.') return false;
        }
        ++hostEnd;
    } else {
        hostEnd = std::min(text.find(':'), text.size());
        if (!isEncoded(text.substr(0, hostEnd), isHostChar)) return false;
    }
    const std::string_view port = text.substr(hostEnd);
    if (port.empty()) return true;
    if (port[0] != ':') return false;
    for (char c : port.substr(1)) {
        if (!isDigit(c)) return false;
    }
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A field that may come more than once, its values joined as a list.
void appendListed(std::string& list, std::string_view value) {
    if (!list.empty()) list += ", ";
    list += value;
}

// The path of an origin-form target: the query left out, "%XX" decoded.
std::string decodedPath(std::string_view target) {
    target = target.substr(0, target.find('?'));
    std::string path;
    path.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%') {
            path += static_cast<char>(hexValue(target[i + 1]) * 16 + hexValue(target[i + 2]));
            i += 2;
        } else {
            path += target[i];
        }
    }
    return path;
}

// The origin-form part of an absolute http or https target, "/" for an empty path; empty
// when the target is no such URI.
std::string_view originOf(std::string_view target) {
    const std::size_t schemeEnd = target.find("://");
    if (schemeEnd == std::string_view::npos ||
        !(equalsIgnoringCase(target.substr(0, schemeEnd), "http") ||
          equalsIgnoringCase(target.substr(0, schemeEnd), "https"))) {
        return {};
    }
    const std::string_view rest = target.substr(schemeEnd + 3);
    const std::size_t pathStart = std::min(rest.find_first_of("/?"), rest.size());
    if (pathStart == 0 || !isAuthority(rest.substr(0, pathStart))) return {};
    if (pathStart == rest.size() || rest[pathStart] == '?') return "/";
    return rest.substr(pathStart);
}

}  // namespace

RequestParser::RequestParser(Limits limits) : limits(limits) {
    header_limit(static_cast<std::uint32_t>(limits.maxHeaderBytes));
    body_limit(limits.maxBodyBytes);
    eager(true);
}

RequestParser::Result RequestParser::read(std::string_view input) {
    Result r;
    if (!headerFed) {
        // An empty line before a request is skipped (RFC 9112, section 2.2).
        while (scanned == 0 && input.substr(r.consumed, 2) == "\r\n") r.consumed += 2;
        const Result header = headerSection(input.substr(r.consumed));
        if (header.state != State::complete) return {header.state, header.refusal, r.consumed};
        r.consumed += header.consumed;
    }
    const std::size_t bodyStart = r.consumed;
    while (!is_done() && r.consumed < input.size()) {
        error_code ec;
        const std::size_t taken =
            put(boost::asio::buffer(input.data() + r.consumed, input.size() - r.consumed), ec);
        r.consumed += taken;
        if (ec == http::error::need_more || (!ec && taken == 0)) break;
        if (ec) return refuse(refusal(ec), r.consumed);
    }
    bodyBytes += r.consumed - bodyStart;
    const std::string_view waiting = is_done() ? "" : input.substr(r.consumed);
    if (is_header_done() && chunked()) {
        // A chunked body's lines and trailer count against the header limit, so that bytes
        // held while a line is incomplete stay bounded.
        if (bodyBytes + waiting.size() > limits.maxHeaderBytes)
            return refuse(Refusal::chunkLinesTooLarge, r.consumed);
        // What waits between chunks is a size line or the trailer section, where a bare LF
        // ends nothing: refused now, not at the deadline.
        for (std::size_t i = waiting.find('\n'); chunkLeft == 0 && i != std::string_view::npos;
             i = waiting.find('\n', i + 1)) {
            if (i == 0 || waiting[i - 1] != '\r') return refuse(Refusal::bareLineEnd, r.consumed);
        }
        // A whole size line of a chunk with data is waited on only when a quoted extension
        // runs on past it (Beast reads CR and LF as quoted text), and each try would count
        // the chunk against the body limit again: refused.
        const std::string_view line = waiting.substr(waiting.substr(0, 2) == "\r\n" ? 2 : 0);
        if (chunkLeft == 0 && line.find("\r\n") != std::string_view::npos &&
            line.find_first_not_of('0') < line.find_first_not_of("0123456789abcdefABCDEF")) {
            return refuse(Refusal::badChunk, r.consumed);
        }
    }
    if (is_done()) r.state = State::complete;
    return r;
}

// Finds the end of the header section in input, which starts at the request, and hands the
// section to Beast; complete once it took it.
RequestParser::Result RequestParser::headerSection(std::string_view input) {
    // Only the first maxHeaderBytes are looked at, so that what is refused doesn't depend on
    // how the bytes were split into reads.
    const std::size_t last = std::min(input.size(), limits.maxHeaderBytes);
    std::size_t end = 0;
    for (std::size_t i = scanned; i < last && end == 0; scanned = ++i) {
        if (!requestLineRead && i >= limits.maxRequestLineBytes)
            return refuse(Refusal::targetTooLong);
        if (input[i] == '\n' && (i == 0 || input[i - 1] != '\r'))
            return refuse(Refusal::bareLineEnd);
        if (input[i] != '\r') continue;
        if (i + 2 >= input.size()) break;  // the line's end, or the section's, is yet to come
        if (input[i + 1] != '\n') return refuse(Refusal::bareLineEnd);
        requestLineRead = true;
        if (input[i + 2] == ' ' || input[i + 2] == '\t') return refuse(Refusal::foldedLine);
        if (input[i + 2] == '\r') {
            if (i + 3 >= input.size()) break;
            if (input[i + 3] != '\n') return refuse(Refusal::bareLineEnd);
            end = i + 4;
        }
    }
    if (end == 0) {
        if (input.size() > limits.maxHeaderBytes) return refuse(Refusal::headerTooLarge);
        return {};
    }
    if (end > limits.maxHeaderBytes) return refuse(Refusal::headerTooLarge);

    // The version: HTTP/1.x is read as HTTP/1.1 (RFC 9110, section 2.5), any other HTTP/x.y
    // gets 505; what doesn't look like a version is left to Beast to refuse.
    std::string_view section = input.substr(0, end);
    const std::string_view line = section.substr(0, section.find("\r\n"));
    const std::size_t blank = line.rfind(' ');
    const std::string_view version = blank == std::string_view::npos ? "" : line.substr(blank + 1);
    std::string relabelled;
    if (version.size() == 8 && version.compare(0, 5, "HTTP/") == 0 && isDigit(version[5]) &&
        version[6] == '.' && isDigit(version[7])) {
        if (version[5] != '1') return refuse(Refusal::unsupportedVersion);
        if (version[7] > '1') {
            relabelled = std::string(section);
            relabelled[line.size() - 1] = '1';
            section = relabelled;
        }
    }
    headerFed = true;
    error_code ec;
    const std::size_t taken = put(boost::asio::buffer(section.data(), section.size()), ec);
    if (ec && ec != http::error::need_more) return refuse(refusal(ec));
    if (taken != section.size()) return refuse(Refusal::badFieldLine);
    return {State::complete, Refusal::badFieldLine, end};
}

RequestParser::Result RequestParser::refuse(Refusal why, std::size_t consumed) {
    return {State::refused, why, consumed};
}

// Our own checks name their refusal; Beast's errors are named here.
Refusal RequestParser::refusal(const error_code& ec) const {
    if (refused) return *refused;
    if (ec == http::error::body_limit) return Refusal::bodyTooLarge;
    if (ec == http::error::header_limit) return Refusal::headerTooLarge;
    if (ec == http::error::bad_method) return Refusal::badMethod;
    if (ec == http::error::bad_target) return Refusal::badTarget;
    if (ec == http::error::bad_version) return Refusal::badVersion;
    if (ec == http::error::bad_value) return Refusal::badFieldValue;
    if (ec == http::error::bad_obs_fold) return Refusal::foldedLine;
    if (ec == http::error::bad_line_ending) return Refusal::bareLineEnd;
    if (ec == http::error::bad_chunk || ec == http::error::bad_chunk_extension)
        return Refusal::badChunk;
    // Beast checks a length or coding against the fields before it, which we have seen.
    if (ec == http::error::bad_content_length)
        return codingsGiven  ? Refusal::lengthWithCoding
               : lengths > 0 ? Refusal::repeatedLength
                             : Refusal::badLength;
    if (ec == http::error::bad_transfer_encoding)
        return lengths > 0 ? Refusal::lengthWithCoding : Refusal::chunkedNotLast;
    return Refusal::badFieldLine;
}

void RequestParser::on_request_impl(verb, string_view methodText, string_view target, int version,
                                    error_code& ec) {
    parsed.method = std::string(methodText);
    parsed.http10 = version == 10;
    std::string_view origin(target.data(), target.size());
    if (origin != "*" && !origin.empty() && origin[0] != '/') origin = originOf(origin);
    if (origin == "*" ? methodText != "OPTIONS"
                      : origin.empty() || !isEncoded(origin, isPathChar)) {
        ec = http::error::bad_target;
        return;
    }
    parsed.path = decodedPath(origin);
}

void RequestParser::on_field_impl(field name, string_view, string_view value, error_code& ec) {
    if (is_header_done()) return;  // a trailer field: nothing of the request's framing
    const std::string_view text(value.data(), value.size());
    switch (name) {
        case field::host:
            if (++hosts > 1) {
                refused = Refusal::repeatedHost;
            } else if (!isAuthority(text)) {
                refused = Refusal::badHost;
            }
            if (refused) ec = http::error::bad_value;
            break;
        case field::content_length:
            // One field of digits: Beast would also take a list, or a repeat of the same value.
            if (++lengths > 1) {
                refused = Refusal::repeatedLength;
            } else if (text.find_first_not_of("0123456789") != std::string_view::npos) {
                refused = Refusal::badLength;
            }
            if (refused) ec = http::error::bad_content_length;
            break;
        case field::transfer_encoding:
            codingsGiven = true;
            for (const auto coding : http::token_list(value)) {
                codings.append(coding.data(), coding.size());
                codings += ',';
            }
            break;
        case field::connection:
            for (const auto option : http::token_list(value)) {
                const std::string_view o(option.data(), option.size());
                closeAsked = closeAsked || equalsIgnoringCase(o, "close");
                keepAliveAsked = keepAliveAsked || equalsIgnoringCase(o, "keep-alive");
            }
            break;
        case field::user_agent:
            parsed.userAgent = std::string(text);
            break;
        case field::expect:
            parsed.expectsContinue =
                parsed.expectsContinue || equalsIgnoringCase(text, "100-continue");
            break;
        case field::if_match:
            appendListed(parsed.conditions.ifMatch, text);
            break;
        case field::if_none_match:
            appendListed(parsed.conditions.ifNoneMatch, text);
            break;
        case field::if_modified_since:
            appendListed(parsed.conditions.ifModifiedSince, text);
            break;
        case field::if_unmodified_since:
            appendListed(parsed.conditions.ifUnmodifiedSince, text);
            break;
        default:
            break;
    }
}

void RequestParser::on_header_impl(error_code& ec) {
    if (!parsed.http10 && hosts == 0) refused = Refusal::missingHost;
    if (codingsGiven) {
        // Chunked must come last, else the body's length is unknown; no other coding is
        // understood here.
        const std::string_view list = codings;
        if (list.size() < 8 || !equalsIgnoringCase(list.substr(list.size() - 8), "chunked,")) {
            refused = Refusal::chunkedNotLast;
        } else if (list.size() != 8) {
            refused = Refusal::unknownCoding;
        }
    }
    if (refused) ec = http::error::bad_value;
    parsed.keepAlive = !closeAsked && (!parsed.http10 || keepAliveAsked);
    // An HTTP/1.0 client can't take an interim answer (RFC 9110, section 10.1.1).
    parsed.expectsContinue = parsed.expectsContinue && !parsed.http10;
}

void RequestParser::on_body_init_impl(const boost::optional<std::uint64_t>& length, error_code&) {
    if (length) parsed.body.reserve(static_cast<std::size_t>(*length));
}

std::size_t RequestParser::on_body_impl(string_view body, error_code&) {
    parsed.body.append(body.data(), body.size());
    return body.size();
}

void RequestParser::on_chunk_header_impl(std::uint64_t size, string_view extensions,
                                         error_code& ec) {
    // Beast lets any byte through in a quoted extension value; RFC 9112 allows no control
    // characters but HTAB there.
    for (const char c : extensions) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f) ec = http::error::bad_chunk_extension;
    }
    chunkLeft = size;
}

std::size_t RequestParser::on_chunk_body_impl(std::uint64_t remain, string_view body, error_code&) {
    parsed.body.append(body.data(), body.size());
    chunkLeft = remain - body.size();
    return body.size();
}
