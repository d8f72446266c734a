// The C library's path-taking functions, defined again: a call made from the
// code of a module that ReceiverRoot maps works on ReceiverRoot::map(path);
// every other call reaches the next definition (the C library's, or a
// sanitizer's) with its path unchanged. Both spellings of the large-file
// functions are defined, as a 32-bit module calls the 64-bit ones.
//
// A sanitizer's runtime calls some of these while it starts, before its
// checks can run: this file is built without them (its CMakeLists.txt), and
// what it calls on every call (the code ranges) lives here too.

// The definitions carry the C library's own names and types, so no large-file
// renaming may apply in this file.
#undef _FILE_OFFSET_BITS

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "ReceiverRoot.h"

namespace {

// The code of the modules whose calls are mapped. Written before other
// threads start; a slot is filled before the count covers it.
struct CodeRange {
    uintptr_t begin;
    uintptr_t end;
};
constexpr int maxRanges = 16;
CodeRange ranges[maxRanges];
std::atomic<int> rangeCount{0};

// The next definition of name after this program's: the C library's own, or
// a sanitizer's. Looked up on the first call and kept in slot, which needs no
// guard: a sanitizer's runtime would take that before it is ready.
template <typename Function>
Function next(std::atomic<void*>& slot, const char* name) {
    void* function = slot.load(std::memory_order_acquire);
    if (!function) {
        function = dlsym(RTLD_NEXT, name);
        slot.store(function, std::memory_order_release);
    }
    return reinterpret_cast<Function>(function);
}

// The path a call from the code at caller works on.
class Path {
public:
    Path(const char* path, const void* caller) : given(path) {
        if (!path || !ReceiverRoot::mapsCallsFrom(caller)) return;
        mapped = ReceiverRoot::map(path);
        given = mapped.c_str();
    }
    operator const char*() const { return given; }

private:
    const char* given;
    std::string mapped;
};

// open's third argument, which is there only when the flags create a file.
mode_t modeOf(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

}  // namespace

bool ReceiverRoot::addCodeRange(uintptr_t begin, uintptr_t end) {
    const int used = rangeCount.load();
    if (used == maxRanges) return false;
    ranges[used] = CodeRange{begin, end};
    rangeCount.store(used + 1);
    return true;
}

bool ReceiverRoot::mapsCallsFrom(const void* address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    const int used = rangeCount.load();
    for (int i = 0; i < used; ++i) {
        if (at >= ranges[i].begin && at < ranges[i].end) return true;
    }
    return false;
}

#define CALLER __builtin_return_address(0)
#define NEXT(name)                         \
    static std::atomic<void*> next_##name; \
    const auto real = next<decltype(&name)>(next_##name, #name)

extern "C" {

int open(const char* path, int flags, ...) {
    NEXT(open);
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return real(Path(path, CALLER), flags, mode);
}

int open64(const char* path, int flags, ...) {
    NEXT(open64);
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return real(Path(path, CALLER), flags, mode);
}

FILE* fopen(const char* path, const char* mode) {
    NEXT(fopen);
    return real(Path(path, CALLER), mode);
}

FILE* fopen64(const char* path, const char* mode) {
    NEXT(fopen64);
    return real(Path(path, CALLER), mode);
}

DIR* opendir(const char* path) {
    NEXT(opendir);
    return real(Path(path, CALLER));
}

int remove(const char* path) noexcept {
    NEXT(remove);
    return real(Path(path, CALLER));
}

int unlink(const char* path) noexcept {
    NEXT(unlink);
    return real(Path(path, CALLER));
}

int rename(const char* from, const char* to) noexcept {
    NEXT(rename);
    return real(Path(from, CALLER), Path(to, CALLER));
}

int mkdir(const char* path, mode_t mode) noexcept {
    NEXT(mkdir);
    return real(Path(path, CALLER), mode);
}

int access(const char* path, int how) noexcept {
    NEXT(access);
    return real(Path(path, CALLER), how);
}

int stat(const char* path, struct stat* status) noexcept {
    NEXT(stat);
    return real(Path(path, CALLER), status);
}

int stat64(const char* path, struct stat64* status) noexcept {
    NEXT(stat64);
    return real(Path(path, CALLER), status);
}

int lstat(const char* path, struct stat* status) noexcept {
    NEXT(lstat);
    return real(Path(path, CALLER), status);
}

int lstat64(const char* path, struct stat64* status) noexcept {
    NEXT(lstat64);
    return real(Path(path, CALLER), status);
}

// A path relative to folder passes unchanged: folder was opened under the root.
int fstatat(int folder, const char* path, struct stat* status, int flags) noexcept {
    NEXT(fstatat);
    return real(folder, Path(path, CALLER), status, flags);
}

int fstatat64(int folder, const char* path, struct stat64* status, int flags) noexcept {
    NEXT(fstatat64);
    return real(folder, Path(path, CALLER), status, flags);
}

}  // extern "C"

const ReceiverRoot::FileCall* ReceiverRoot::fileCalls() {
#define CALL(name) \
    { #name, reinterpret_cast < void*>(&name) }
    static const FileCall calls[] = {
        CALL(open),      CALL(open64),       CALL(fopen),  CALL(fopen64), CALL(opendir),
        CALL(remove),    CALL(unlink),       CALL(rename), CALL(mkdir),   CALL(access),
        CALL(stat),      CALL(stat64),       CALL(lstat),  CALL(lstat64), CALL(fstatat),
        CALL(fstatat64), {nullptr, nullptr},
    };
#undef CALL
    return calls;
}
