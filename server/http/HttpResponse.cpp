#include "HttpResponse.h"

std::string HttpResponse::statusText(int status) {
    switch (status) {
        case 200:
            return "200 OK";
        case 400:
            return "400 Bad Request";
        case 404:
            return "404 Not Found";
        case 408:
            return "408 Request Timeout";
        case 413:
            return "413 Content Too Large";
        case 431:
            return "431 Request Header Fields Too Large";
        case 500:
            return "500 Internal Server Error";
        case 501:
            return "501 Not Implemented";
        case 505:
            return "505 HTTP Version Not Supported";
        default:
            return std::to_string(status) + " Status";
    }
}

std::shared_ptr<HttpResponse> HttpResponse::make(int status, std::string_view contentType,
                                                 std::string body, std::string_view extraHeaders) {
    auto response = std::make_shared<HttpResponse>();
    response->status = status;
    response->head = "HTTP/1.1 " + statusText(status) + "\r\nContent-Type: ";
    response->head += contentType;
    response->head += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    response->head += extraHeaders;
    response->body = std::move(body);
    return response;
}

std::shared_ptr<HttpResponse> HttpResponse::plain(int status) {
    return make(status, "text/plain; charset=utf-8", statusText(status) + "\n");
}
