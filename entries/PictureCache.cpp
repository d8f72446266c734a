#include "PictureCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The stamp of the regular file name in the folder open as folder (or, for -1,
// of the file at path), through links; false when there is none.
bool stampOf(int folder, const std::string& path, size_t name, FileStamp& stamp) {
    struct stat info {};
    const int looked = folder >= 0 ? ::fstatat(folder, path.c_str() + name, &info, 0)
                                   : ::stat(path.c_str(), &info);
    if (looked != 0 || !S_ISREG(info.st_mode)) return false;
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
    // While a batch lives, its folders stay open: a file is looked up in its
    // folder, not along its whole path again.
    std::unordered_map<std::string, int> folders;

    int folderOf(const std::string& path, size_t name) {
        if (batchDepth == 0 || name == 0) return -1;
        auto [folder, added] = folders.emplace(path.substr(0, name), -1);
        if (added)
            folder->second = ::open(folder->first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return folder->second;
    }
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

    const size_t name = path.rfind('/') + 1;
    FileStamp stamp;
    if (!stampOf(s.folderOf(path, name), path, name, stamp)) {
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
    State& s = state();
    if (--s.batchDepth > 0) return;
    for (const auto& [path, folder] : s.folders)
        if (folder >= 0) ::close(folder);
    s.folders.clear();
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
