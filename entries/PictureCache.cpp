#include "PictureCache.h"

#include <sys/stat.h>

#include <unordered_map>

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

// The stamp of the regular file at path, through links; false when there is none.
bool stampOf(const std::string& path, FileStamp& stamp) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    stamp = FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    return true;
}

struct Cached {
    FileStamp stamp;
    PictureCache::Picture picture;  // null when the file can't be decoded
    unsigned long lookedAtIn = 0;   // the batch in which the file was last looked at
};

struct State {
    std::unordered_map<std::string, Cached> pictures;
    unsigned long batch = 0;  // the current batch, or the last one
    int batchDepth = 0;
    long decoded = 0;
};

State& state() {
    static State s;
    return s;
}

}  // namespace

PictureCache::Picture PictureCache::get(const std::string& path) {
    State& s = state();
    auto found = s.pictures.find(path);
    if (found != s.pictures.end() && s.batchDepth > 0 && found->second.lookedAtIn == s.batch)
        return found->second.picture;

    FileStamp stamp;
    if (!stampOf(path, stamp)) {
        if (found != s.pictures.end()) s.pictures.erase(found);
        return nullptr;
    }
    if (found != s.pictures.end() && found->second.stamp == stamp) {
        found->second.lookedAtIn = s.batch;
        return found->second.picture;
    }
    ++s.decoded;
    Picture picture(loadPNG(path.c_str()));
    s.pictures[path] = Cached{stamp, picture, s.batch};
    return picture;
}

PictureCache::Batch::Batch() {
    State& s = state();
    if (s.batchDepth++ == 0) ++s.batch;
}

PictureCache::Batch::~Batch() {
    --state().batchDepth;
}

void PictureCache::clear() {
    state().pictures.clear();
}

std::size_t PictureCache::size() {
    return state().pictures.size();
}

long PictureCache::decodeCount() {
    return state().decoded;
}
