#include "SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

// O_NOFOLLOW refuses a link at the path; O_NONBLOCK keeps a planted FIFO from
// blocking the open, and the type check then refuses it.
FILE* openRegular(const std::string& path, int flags, const char* mode) {
    int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, mode);
    if (!file) ::close(fd);
    return file;
}

bool isPathCharacter(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return false;
    return !std::strchr("%?#\"<>\\^`{|}/", c);
}

}  // namespace

FILE* SafeFile::openForWrite(const std::string& path) {
    return openRegular(path, O_WRONLY | O_CREAT | O_TRUNC, "w");
}

FILE* SafeFile::openForRead(const std::string& path) {
    return openRegular(path, O_RDONLY, "r");
}

bool SafeFile::close(UniqueFile& file) {
    FILE* stream = file.release();
    if (!stream) return false;
    const bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    return std::fclose(stream) == 0 && written;
}

bool SafeFile::isSafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

std::string SafeFile::urlEncodePathSegment(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : name) {
        if (isPathCharacter(c)) {
            encoded.push_back(static_cast<char>(c));
        } else {
            encoded += {'%', hex[c >> 4], hex[c & 0x0F]};
        }
    }
    return encoded;
}
