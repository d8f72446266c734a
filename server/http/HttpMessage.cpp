#include "HttpMessage.h"

#include <cctype>

namespace {

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

bool containsIgnoringCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (equalsIgnoringCase(text.substr(i, word.size()), word)) return true;
    }
    return false;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path of a request target: the query left out, "%XX" decoded.
std::string decodedPath(std::string_view target) {
    target = target.substr(0, target.find('?'));
    std::string path;
    path.reserve(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size() && hexValue(target[i + 1]) >= 0 &&
            hexValue(target[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(target[i + 1]) * 16 + hexValue(target[i + 2]));
            i += 2;
        } else {
            path += target[i];
        }
    }
    return path;
}

RequestReader::Result failed(int status) {
    RequestReader::Result r;
    r.state = RequestReader::State::failed;
    r.status = status;
    return r;
}

}  // namespace

std::string HttpAnswer::statusText(int status) {
    switch (status) {
        case 200:
            return "200 OK";
        case 400:
            return "400 Bad Request";
        case 404:
            return "404 Not Found";
        case 408:
            return "408 Request Timeout";
        case 411:
            return "411 Length Required";
        case 413:
            return "413 Payload Too Large";
        case 431:
            return "431 Request Header Fields Too Large";
        case 500:
            return "500 Internal Server Error";
        default:
            return std::to_string(status) + " Status";
    }
}

std::shared_ptr<const HttpAnswer> HttpAnswer::make(int status, std::string_view contentType,
                                                   std::string body, std::string zone) {
    auto answer = std::make_shared<HttpAnswer>();
    answer->status = status;
    answer->head = "HTTP/1.1 " + statusText(status) + "\r\nContent-Type: ";
    answer->head += contentType;
    answer->head += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    if (!zone.empty()) answer->head += "X-Listings-Zone: " + zone + "\r\n";
    answer->body = std::move(body);
    answer->zone = std::move(zone);
    return answer;
}

std::shared_ptr<const HttpAnswer> HttpAnswer::plain(int status) {
    return make(status, "text/plain; charset=utf-8", statusText(status) + "\n");
}

RequestReader::Result RequestReader::read(std::string_view buffer, std::size_t maxHeaderBytes,
                                          std::size_t maxBodyBytes, HttpRequest& request) {
    const std::size_t headerEnd = buffer.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos) {
        return buffer.size() > maxHeaderBytes ? failed(431) : Result{};
    }
    if (headerEnd + 4 > maxHeaderBytes) return failed(431);

    std::string_view header = buffer.substr(0, headerEnd + 2);
    std::size_t lineEnd = header.find("\r\n");
    const std::string_view requestLine = header.substr(0, lineEnd);
    const std::size_t firstBlank = requestLine.find(' ');
    const std::size_t lastBlank = requestLine.rfind(' ');
    if (firstBlank == std::string_view::npos || lastBlank == firstBlank) return failed(400);
    request.method = std::string(requestLine.substr(0, firstBlank));
    request.path = decodedPath(requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1));
    const std::string_view version = requestLine.substr(lastBlank + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return failed(400);
    request.http10 = version == "HTTP/1.0";
    request.keepAlive = !request.http10;

    bool lengthGiven = false;
    std::size_t length = 0;
    for (header.remove_prefix(lineEnd + 2); !header.empty(); header.remove_prefix(lineEnd + 2)) {
        lineEnd = header.find("\r\n");
        const std::string_view line = header.substr(0, lineEnd);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) return failed(400);
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equalsIgnoringCase(name, "Content-Length")) {
            std::size_t n = 0;
            if (value.empty() || value.size() > 9) return failed(value.empty() ? 400 : 413);
            for (char c : value) {
                if (c < '0' || c > '9') return failed(400);
                n = n * 10 + static_cast<std::size_t>(c - '0');
            }
            if (lengthGiven && n != length) return failed(400);
            lengthGiven = true;
            length = n;
        } else if (equalsIgnoringCase(name, "Transfer-Encoding")) {
            return failed(411);
        } else if (equalsIgnoringCase(name, "Connection")) {
            if (containsIgnoringCase(value, "close")) request.keepAlive = false;
            if (containsIgnoringCase(value, "keep-alive")) request.keepAlive = true;
        } else if (equalsIgnoringCase(name, "User-Agent")) {
            request.userAgent = std::string(value);
        }
    }
    if (length > maxBodyBytes) return failed(413);

    Result r;
    const std::size_t bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < length) return r;
    request.body = std::string(buffer.substr(bodyStart, length));
    r.state = State::complete;
    r.consumed = bodyStart + length;
    return r;
}
