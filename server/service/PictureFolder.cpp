#include "PictureFolder.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifdef SYS_openat2
#include <linux/openat2.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::string_view pngSignature("\x89PNG\r\n\x1a\n", 8);

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    operator int() const { return fd; }

private:
    int fd;
};

// Opens name in the folder for reading, through no symbolic link and without waiting for
// a writer.
int openBeneath(int folder, const std::string& name) {
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
#ifdef SYS_openat2
    open_how how{};
    how.flags = flags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const long fd = syscall(SYS_openat2, folder, name.c_str(), &how, sizeof how);
    // Kernels before 5.6 and some sandboxes don't have it.
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG))
        return static_cast<int>(fd);
#endif
    return openat(folder, name.c_str(), flags);
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

PictureFolder::PictureFolder(std::string folder, const std::string& dbPath)
    : dir(std::move(folder)) {
    // The folders that hold the database as named, and its file once links are followed.
    std::vector<std::string> starts{parentOf(dbPath)};
    if (char* real = realpath(dbPath.c_str(), nullptr)) {
        starts.push_back(parentOf(real));
        std::free(real);
    }
    for (const std::string& start : starts) {
        for (std::string up = start; up.size() < PATH_MAX; up += "/..") {
            struct stat info {};
            // The root is its own parent: there the walk ends.
            if (stat(up.c_str(), &info) != 0 || holdsDatabase(info)) break;
            databaseFolders.push_back({info.st_dev, info.st_ino});
        }
    }
    struct stat info {};
    if (stat(dir.c_str(), &info) != 0)
        throw std::runtime_error("cannot serve pictures from " + dir + ": " + std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        throw std::runtime_error("cannot serve pictures from " + dir + ": not a folder");
    if (holdsDatabase(info)) {
        throw std::runtime_error("cannot serve pictures from " + dir + ": the database " + dbPath +
                                 " lies in it; keep the database elsewhere");
    }
}

bool PictureFolder::holdsDatabase(const struct stat& folder) const {
    for (const FolderId& id : databaseFolders) {
        if (id.device == folder.st_dev && id.inode == folder.st_ino) return true;
    }
    return false;
}

std::optional<PictureFolder::Picture> PictureFolder::read(const std::string& name) const {
    const Descriptor folder(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (folder < 0 || fstat(folder, &info) != 0 || holdsDatabase(info)) return std::nullopt;
    if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // It may have been swapped since: what is opened is looked at again.
    const Descriptor file(openBeneath(folder, name));
    if (file < 0 || fstat(file, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > maxPictureBytes) {
        return std::nullopt;
    }
    Picture picture;
    picture.modified = info.st_mtime;
    picture.bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < picture.bytes.size()) {
        const ssize_t n = pread(file, picture.bytes.data() + got, picture.bytes.size() - got,
                                static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;  // cut short while being written: not served
        got += static_cast<std::size_t>(n);
    }
    if (picture.bytes.compare(0, pngSignature.size(), pngSignature) != 0) return std::nullopt;
    return picture;
}
