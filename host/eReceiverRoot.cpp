#include "eReceiverRoot.h"

namespace {

std::string& rootDirectory() {
    static std::string root = "/";
    return root;
}

}  // namespace

void eReceiverRoot::set(const std::string& directory) {
    std::string root = directory;
    // Trailing slashes would double up in map(); "/" itself stays.
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    rootDirectory() = root.empty() ? "/" : root;
}

const std::string& eReceiverRoot::get() {
    return rootDirectory();
}

std::string eReceiverRoot::map(const std::string& receiverPath) {
    std::string path = receiverPath;
    if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
    const std::string& root = get();
    if (root == "/") return path;
    return root + path;
}

std::string eReceiverRoot::unmap(const std::string& realPath) {
    const std::string& root = get();
    if (root == "/") return realPath;
    if (realPath.compare(0, root.size(), root) != 0) return realPath;
    if (realPath.size() == root.size()) return "/";
    if (realPath[root.size()] != '/') return realPath;
    return realPath.substr(root.size());
}
