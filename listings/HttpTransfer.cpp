#include "HttpTransfer.h"

#include <curl/curl.h>

HttpTransfer::HttpTransfer(TransferLimits limits) : handle(curl_easy_init()), limits(limits) {}

HttpTransfer::~HttpTransfer() {
    if (handle) curl_easy_cleanup(handle);
}

int HttpTransfer::post(const std::string& url, const char* userAgent, const std::string& body,
                       FILE* out) {
    if (!handle) return CURLE_FAILED_INIT;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, out);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    // libcurl doesn't copy the body; it lives until perform returns.
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    setLimits();
    posted = true;
    return curl_easy_perform(handle);
}

int HttpTransfer::get(const std::string& url, const char* userAgent, FILE* out) {
    if (!handle) return CURLE_FAILED_INIT;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, out);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    // A handle that posted before would post again, with a body that is gone.
    if (posted) {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        posted = false;
    }
    setLimits();
    return curl_easy_perform(handle);
}

void HttpTransfer::setLimits() {
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    // Time-outs must not use signals: the host's process owns them.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
}
