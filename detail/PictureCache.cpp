#include "PictureCache.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The stamp of a regular file; false when there is none. plain tells whether
// every change to it shows in its own directory: no symbolic or hard links.
bool stampOf(const std::string& realPath, FileStamp& stamp, bool& plain) {
    struct stat info {};
    if (::lstat(realPath.c_str(), &info) != 0) return false;
    plain = !S_ISLNK(info.st_mode) && info.st_nlink == 1;
    if (S_ISLNK(info.st_mode) && ::stat(realPath.c_str(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) return false;
    stamp = FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    return true;
}

// Receiver directory ("/tmp/") and name of a receiver path.
std::pair<std::string, std::string> splitPath(const std::string& receiverPath) {
    const size_t slash = receiverPath.rfind('/') + 1;
    return {receiverPath.substr(0, slash), receiverPath.substr(slash)};
}

// The names in a receiver directory; empty when it can't be read.
std::unordered_set<std::string> namesIn(const std::string& receiverDirectory) {
    std::unordered_set<std::string> names;
    if (DIR* directory = ::opendir(eReceiverRoot::map(receiverDirectory).c_str())) {
        while (const dirent* entry = ::readdir(directory)) names.insert(entry->d_name);
        ::closedir(directory);
    }
    return names;
}

// Watches the directories of cached pictures through inotify, so that a file
// that has not changed needs no stat to tell so. Without inotify every file
// is looked at again.
class DirectoryWatch {
public:
    ~DirectoryWatch() { close(); }

    // Starts watching a receiver directory; false when it can't be watched.
    bool watch(const std::string& receiverDirectory) {
        auto known = byDirectory.find(receiverDirectory);
        if (known != byDirectory.end()) return true;
        if (fd < 0) fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd < 0) return false;
        const int wd = ::inotify_add_watch(fd, eReceiverRoot::map(receiverDirectory).c_str(),
                                           IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE |
                                               IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                               IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
        if (wd < 0) return false;
        // Another spelling of a directory already watched would miss its events.
        if (!directories.emplace(wd, receiverDirectory).second) return false;
        byDirectory.emplace(receiverDirectory, wd);
        return true;
    }

    // Reports each receiver path that changed since the last call to touched,
    // and calls lost when it can't tell which ones did.
    template <class Touched, class Lost>
    void drain(Touched touched, Lost lost) {
        if (fd < 0) return;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = ::read(fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += sizeof(inotify_event) + event->len;
                auto directory = directories.find(event->wd);
                if (event->len > 0 && directory != directories.end()) {
                    touched(directory->second + event->name);
                    continue;
                }
                // Lost events, or the directory itself went or moved away.
                lost();
                if (directory != directories.end()) forget(directory->first);
            }
        }
    }

    void close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        directories.clear();
        byDirectory.clear();
    }

private:
    void forget(int wd) {
        ::inotify_rm_watch(fd, wd);
        byDirectory.erase(directories[wd]);
        directories.erase(wd);
    }

    int fd = -1;
    std::unordered_map<int, std::string> directories;
    std::unordered_map<std::string, int> byDirectory;
};

struct Cached {
    std::string realPath;
    FileStamp stamp;
    PictureCache::Picture picture;  // null when the file can't be decoded
    unsigned long checkedIn = 0;    // the batch in which the file was last looked at
    bool unchanged = false;         // watched, and no change seen since it was looked at
};

struct State {
    // Keyed by receiver path; every picture belongs to this receiver root.
    std::string root;
    std::unordered_map<std::string, Cached> pictures;
    DirectoryWatch watch;
    unsigned long batch = 0;  // the current batch, or the last one
    int batchDepth = 0;
    long decoded = 0;

    // Takes in the changes seen since the last time.
    void refresh() {
        watch.drain(
            [this](const std::string& receiverPath) {
                auto found = pictures.find(receiverPath);
                if (found != pictures.end()) found->second.unchanged = false;
            },
            [this] {
                for (auto& entry : pictures) entry.second.unchanged = false;
            });
    }
};

State& state() {
    static State s;
    return s;
}

}  // namespace

PictureCache::Picture PictureCache::get(const std::string& receiverPath) {
    State& s = state();
    if (s.root != eReceiverRoot::get()) {
        release();
        s.root = eReceiverRoot::get();
    }
    if (s.batchDepth == 0) s.refresh();
    auto found = s.pictures.find(receiverPath);
    if (found != s.pictures.end()) {
        Cached& cached = found->second;
        if (cached.unchanged || (s.batchDepth > 0 && cached.checkedIn == s.batch)) {
            cached.checkedIn = s.batch;
            return cached.picture;
        }
    }

    // Watched before the file is looked at, so no later change goes unseen.
    const bool watched = s.watch.watch(splitPath(receiverPath).first);
    std::string realPath =
        found != s.pictures.end() ? found->second.realPath : eReceiverRoot::map(receiverPath);
    FileStamp stamp;
    bool plain = false;
    if (!stampOf(realPath, stamp, plain)) {
        if (found != s.pictures.end()) s.pictures.erase(found);
        return nullptr;
    }
    if (found != s.pictures.end() && found->second.stamp == stamp) {
        found->second.checkedIn = s.batch;
        found->second.unchanged = watched && plain;
        return found->second.picture;
    }

    ++s.decoded;
    Picture picture(loadPNG(receiverPath.c_str()));
    s.pictures[receiverPath] =
        Cached{std::move(realPath), stamp, picture, s.batch, watched && plain};
    return picture;
}

PictureCache::Batch::Batch() {
    State& s = state();
    if (s.batchDepth++ > 0) return;
    ++s.batch;
    s.refresh();
}

PictureCache::Batch::~Batch() {
    State& s = state();
    if (--s.batchDepth > 0) return;
    // Pictures that no one holds go when their files did. Those asked for in
    // this batch, or watched and unchanged, are known to be there; for the
    // rest, one listing of their directory tells.
    s.refresh();
    std::unordered_map<std::string, std::unordered_set<std::string>> listings;
    for (auto it = s.pictures.begin(); it != s.pictures.end();) {
        const Cached& cached = it->second;
        bool gone = false;
        if (cached.checkedIn != s.batch && !cached.unchanged && cached.picture.use_count() <= 1) {
            const auto [directory, name] = splitPath(it->first);
            auto listing = listings.find(directory);
            if (listing == listings.end())
                listing = listings.emplace(directory, namesIn(directory)).first;
            gone = listing->second.count(name) == 0;
        }
        it = gone ? s.pictures.erase(it) : std::next(it);
    }
}

void PictureCache::clear() {
    state().pictures.clear();
}

void PictureCache::release() {
    clear();
    state().watch.close();
}

std::size_t PictureCache::size() {
    return state().pictures.size();
}

long PictureCache::decodeCount() {
    return state().decoded;
}
