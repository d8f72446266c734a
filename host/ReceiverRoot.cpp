#include "ReceiverRoot.h"

#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::string& rootDirectory() {
    static std::string root = "/";
    return root;
}

// The executable segments of the modules whose calls are mapped. Written
// before other threads start; a slot is filled before the count covers it.
struct CodeRange {
    uintptr_t begin = 0;
    uintptr_t end = 0;
};
constexpr int maxRanges = 16;
CodeRange ranges[maxRanges];
std::atomic<int> rangeCount{0};

// "/a/./b/../c" -> "/a/c"; ".." never climbs above "/".
std::string resolveDots(const std::string& path) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (at < path.size()) {
        const size_t slash = path.find('/', at);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        const std::string part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string resolved;
    for (const std::string& part : parts) resolved += "/" + part;
    if (resolved.empty() || (path.size() > 1 && path.back() == '/')) resolved += "/";
    return resolved;
}

bool isIn(const std::string& path, const std::string& folder) {
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

struct Search {
    uintptr_t base;
    const char* name;
    bool found = false;
};

int addRanges(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    if (info->dlpi_addr != search->base || std::strcmp(info->dlpi_name, search->name) != 0)
        return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        const int used = rangeCount.load();
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X) || used == maxRanges) continue;
        ranges[used].begin = info->dlpi_addr + segment.p_vaddr;
        ranges[used].end = ranges[used].begin + segment.p_memsz;
        rangeCount.store(used + 1);
        search->found = true;
    }
    return 1;
}

}  // namespace

void ReceiverRoot::set(const std::string& directory) {
    std::string root = directory;
    // Trailing slashes would double up in map(); "/" itself stays.
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    rootDirectory() = root.empty() ? "/" : root;
}

const std::string& ReceiverRoot::get() {
    return rootDirectory();
}

std::string ReceiverRoot::map(const std::string& path) {
    const std::string& root = get();
    if (root == "/" || path.empty() || path.front() != '/' || isIn(path, root)) return path;
    const std::string resolved = resolveDots(path);
    if (!isIn(resolved, "/tmp") && !isIn(resolved, "/var/tuxbox")) return path;
    return root + resolved;
}

bool ReceiverRoot::mapCallsFrom(void* module, std::string& error) {
    // Calls bind to this program's definitions only when it exports them.
    for (const FileCall* call = fileCalls(); call->name; ++call) {
        if (dlsym(RTLD_DEFAULT, call->name) != call->function) {
            error = std::string("the program does not export ") + call->name;
            return false;
        }
    }
    link_map* map = nullptr;
    if (!module || dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) {
        error = "the module is not loaded";
        return false;
    }
    Search search{map->l_addr, map->l_name};
    dl_iterate_phdr(addRanges, &search);
    if (!search.found) error = "the module's code was not found";
    return search.found;
}

bool ReceiverRoot::mapsCallsFrom(const void* address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    const int used = rangeCount.load();
    for (int i = 0; i < used; ++i) {
        if (at >= ranges[i].begin && at < ranges[i].end) return true;
    }
    return false;
}
