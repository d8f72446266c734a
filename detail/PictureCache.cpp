#include "PictureCache.h"

#include <sys/stat.h>

#include <unordered_map>

#include "eReceiverRoot.h"
#include "gPixmap.h"
#include "loadPNG.h"

namespace {

// What identifies one version of a file.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

struct Cached {
    FileStamp stamp;
    PictureCache::Picture picture;  // null when the file can't be decoded
};

// Keyed by the mapped path, so receiver roots never share a picture.
std::unordered_map<std::string, Cached>& cache() {
    static std::unordered_map<std::string, Cached> pictures;
    return pictures;
}

long decoded = 0;

}  // namespace

PictureCache::Picture PictureCache::get(const std::string& receiverPath) {
    const std::string realPath = eReceiverRoot::map(receiverPath);
    struct stat info {};
    if (::stat(realPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        cache().erase(realPath);
        return nullptr;
    }
    const FileStamp stamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    auto found = cache().find(realPath);
    if (found != cache().end() && found->second.stamp == stamp) return found->second.picture;

    ++decoded;
    Picture picture(loadPNG(receiverPath.c_str()));
    cache()[realPath] = Cached{stamp, picture};
    return picture;
}

void PictureCache::clear() {
    cache().clear();
}

long PictureCache::decodeCount() {
    return decoded;
}
