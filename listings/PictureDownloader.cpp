#include "PictureDownloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "HttpTransfer.h"
#include "SafeFile.h"
#include "ServerSettings.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const pictureUserAgent =
    "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like Gecko) "
    "Version/3.0 Mobile/1A543a Safari/419.3";

bool isPresent(const std::string& path) {
    return UniqueFile{SafeFile::openForRead(path)} != nullptr;
}

}  // namespace

void PictureDownloader::run(const std::string& folder, const std::list<matchray_matches>& matches) {
    {
        // One handle for the pass, so libcurl keeps one connection to the server.
        const TransferLimits limits = TransferLimits::fromConfig(TransferLimits::Kind::picture);
        HttpTransfer transfer(limits);
        const std::string urlPrefix = "http://" + ServerSettings::picturesHost() + "/fix/";
        const Clock::time_point passEnd =
            Clock::now() + std::chrono::milliseconds(TransferLimits::picturePassMilliseconds());
        for (const matchray_matches& match : matches) {
            if (!SafeFile::isSafeName(match.picture)) continue;
            const std::string path = folder + match.picture;
            if (isPresent(path)) continue;
            const long left =
                long(std::chrono::duration_cast<std::chrono::milliseconds>(passEnd - Clock::now())
                         .count());
            if (left <= 0) break;
            UniqueFile out{SafeFile::openForWrite(path)};
            if (!out) continue;
            int result = CURLE_FAILED_INIT;
            if (transfer.valid()) {
                transfer.setTotalMilliseconds(std::min(limits.totalMilliseconds, left));
                result = transfer.get(urlPrefix + SafeFile::urlEncodePathSegment(match.picture),
                                      pictureUserAgent, out.get());
            }
            const bool written = SafeFile::close(out);
            // Without a handle, or refused by the server, the empty file stays and
            // is not fetched again; whatever else failed may have left a part.
            const bool keep = (result == CURLE_OK && written) || result == CURLE_FAILED_INIT ||
                              result == CURLE_HTTP_RETURNED_ERROR;
            if (!keep) std::remove(path.c_str());
        }
    }
    std::puts("Zavrsio thread1");
    std::fflush(stdout);
}
