#include "PictureCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <unordered_map>
#include <unordered_set>

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

// The stamp of a regular file; false when there is none.
bool stampOf(const std::string& realPath, FileStamp& stamp) {
    struct stat info {};
    if (::stat(realPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    stamp = FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    return true;
}

struct Cached {
    std::string realPath;
    FileStamp stamp;
    PictureCache::Picture picture;  // null when the file can't be decoded
    unsigned long checkedIn = 0;    // the batch in which the file was last looked at
};

struct State {
    // Keyed by receiver path; every picture belongs to this receiver root.
    std::string root;
    std::unordered_map<std::string, Cached> pictures;
    unsigned long batch = 0;  // the current batch, or the last one
    int batchDepth = 0;
    long decoded = 0;
};

State& state() {
    static State s;
    return s;
}

// The names in a receiver directory such as "/tmp/"; false when it can't be read.
bool namesIn(const std::string& receiverDirectory, std::unordered_set<std::string>& names) {
    DIR* directory = ::opendir(eReceiverRoot::map(receiverDirectory).c_str());
    if (!directory) return false;
    while (const dirent* entry = ::readdir(directory)) names.insert(entry->d_name);
    ::closedir(directory);
    return true;
}

// Receiver directory and name of a receiver path.
std::pair<std::string, std::string> splitPath(const std::string& receiverPath) {
    const size_t slash = receiverPath.rfind('/') + 1;
    return {receiverPath.substr(0, slash), receiverPath.substr(slash)};
}

}  // namespace

PictureCache::Picture PictureCache::get(const std::string& receiverPath) {
    State& s = state();
    if (s.root != eReceiverRoot::get()) {
        s.pictures.clear();
        s.root = eReceiverRoot::get();
    }
    auto found = s.pictures.find(receiverPath);
    if (found != s.pictures.end() && s.batchDepth > 0 && found->second.checkedIn == s.batch)
        return found->second.picture;

    std::string realPath =
        found != s.pictures.end() ? found->second.realPath : eReceiverRoot::map(receiverPath);
    FileStamp stamp;
    if (!stampOf(realPath, stamp)) {
        if (found != s.pictures.end()) s.pictures.erase(found);
        return nullptr;
    }
    if (found != s.pictures.end() && found->second.stamp == stamp) {
        found->second.checkedIn = s.batch;
        return found->second.picture;
    }

    ++s.decoded;
    Picture picture(loadPNG(receiverPath.c_str()));
    s.pictures[receiverPath] = Cached{std::move(realPath), stamp, picture, s.batch};
    return picture;
}

PictureCache::Batch::Batch() {
    State& s = state();
    if (s.batchDepth++ == 0) ++s.batch;
}

PictureCache::Batch::~Batch() {
    State& s = state();
    if (--s.batchDepth > 0) return;
    // Pictures asked for in this batch have just been looked at. Of the rest,
    // those that no one holds go when their files did; one directory listing
    // tells that for all files in it.
    std::unordered_map<std::string, std::unordered_set<std::string>> listings;
    for (auto it = s.pictures.begin(); it != s.pictures.end();) {
        const Cached& cached = it->second;
        bool gone = false;
        if (cached.checkedIn != s.batch && cached.picture.use_count() <= 1) {
            const auto [directory, name] = splitPath(it->first);
            auto listing = listings.find(directory);
            if (listing == listings.end()) {
                listing = listings.emplace(directory, std::unordered_set<std::string>()).first;
                namesIn(directory, listing->second);
            }
            gone = listing->second.count(name) == 0;
        }
        it = gone ? s.pictures.erase(it) : std::next(it);
    }
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
