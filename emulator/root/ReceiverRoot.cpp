#include "ReceiverRoot.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <vector>

#include "eReceiverFiles.h"

namespace {

std::string& rootDirectory() {
    static std::string root = "/";
    return root;
}

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

}  // namespace

// Called for each loaded module until one matches: the module's executable
// segments are the code whose calls are mapped.
int ReceiverRoot::addCode(dl_phdr_info* info, size_t, void* data) {
    auto* module = static_cast<link_map*>(data);
    if (info->dlpi_addr != module->l_addr || std::strcmp(info->dlpi_name, module->l_name) != 0)
        return 0;
    int added = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X)) continue;
        const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        added += addCodeRange(begin, begin + segment.p_memsz);
    }
    return added > 0 ? 1 : -1;
}

void ReceiverRoot::set(const std::string& directory) {
    std::string root = directory;
    // Trailing slashes would double up in map(); "/" itself stays.
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    rootDirectory() = root.empty() ? "/" : root;
    eReceiverFiles::setMapping(map);
}

const std::string& ReceiverRoot::get() {
    return rootDirectory();
}

std::string ReceiverRoot::map(const std::string& path) {
    const std::string& root = get();
    if (root == "/" || path.empty() || path.front() != '/' || isIn(path, root)) return path;
    // Only a path with "." or ".." components needs resolving.
    const std::string resolved = path.find("/.") == std::string::npos ? path : resolveDots(path);
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
    if (dl_iterate_phdr(addCode, map) != 1) {
        error = "the module's code was not found";
        return false;
    }
    return true;
}
