#include "PictureDownloader.h"

#include <cstdio>

#include "HttpTransfer.h"
#include "SafeFile.h"
#include "ServerSettings.h"

namespace {

const char* const pictureUserAgent =
    "Mozilla/5.0 (iPhone; U; CPU like Mac OS X; en) AppleWebKit/420+ (KHTML, like Gecko) "
    "Version/3.0 Mobile/1A543a Safari/419.3";

bool isPresent(const std::string& receiverPath) {
    return UniqueFile{SafeFile::openForRead(receiverPath)} != nullptr;
}

}  // namespace

void PictureDownloader::run(const std::list<matchray_matches>& matches) {
    {
        // One handle for the pass, so libcurl keeps one connection to the server.
        HttpTransfer transfer;
        const std::string urlPrefix = "http://" + ServerSettings::picturesHost() + "/fix/";
        for (const matchray_matches& match : matches) {
            if (!SafeFile::isSafeName(match.picture)) continue;
            const std::string path = "/tmp/" + match.picture;
            if (isPresent(path)) continue;
            UniqueFile out{SafeFile::openForWrite(path)};
            if (!out) continue;
            // A failed transfer leaves its file, empty or partial; it is not fetched again.
            if (transfer.valid()) {
                transfer.get(urlPrefix + SafeFile::urlEncodePathSegment(match.picture),
                             pictureUserAgent, out.get());
            }
            std::fflush(out.get());
        }
    }
    std::puts("Zavrsio thread1");
    std::fflush(stdout);
}
