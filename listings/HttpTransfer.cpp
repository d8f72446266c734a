#include "HttpTransfer.h"

#include <curl/curl.h>

namespace {

struct Sink {
    FILE* out;
    int64_t room;  // bytes the body may still bring
};

// A short count aborts the transfer with CURLE_WRITE_ERROR. The size cap is
// checked here as well: CURLOPT_MAXFILESIZE_LARGE only sees a Content-Length.
size_t writeBody(char* data, size_t size, size_t count, void* userData) {
    auto* sink = static_cast<Sink*>(userData);
    const size_t bytes = size * count;
    if (int64_t(bytes) > sink->room) return 0;
    sink->room -= int64_t(bytes);
    return std::fwrite(data, 1, bytes, sink->out);
}

}  // namespace

HttpTransfer::HttpTransfer(TransferLimits limits) : handle(curl_easy_init()), limits(limits) {}

HttpTransfer::~HttpTransfer() {
    if (handle) curl_easy_cleanup(handle);
}

int HttpTransfer::post(const std::string& url, const char* userAgent, const std::string& body,
                       FILE* out) {
    if (!handle) return CURLE_FAILED_INIT;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    // libcurl doesn't copy the body; it lives until perform returns.
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    posted = true;
    return perform(out);
}

int HttpTransfer::get(const std::string& url, const char* userAgent, FILE* out) {
    if (!handle) return CURLE_FAILED_INIT;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    // A handle that posted before would post again, with a body that is gone.
    if (posted) {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        posted = false;
    }
    return perform(out);
}

int HttpTransfer::perform(FILE* out) {
    Sink sink{out, limits.maxBodyBytes};
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBodyBytes));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits.totalMilliseconds);
    // Time-outs must not use signals: the host's process owns them.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    int result = curl_easy_perform(handle);
    // The last buffered bytes are written only now; losing them cuts the answer.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        if (result == CURLE_OK) result = CURLE_WRITE_ERROR;
    }
    return result;
}
