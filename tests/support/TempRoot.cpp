#include "TempRoot.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "ReceiverRoot.h"

namespace fs = std::filesystem;

TempRoot::TempRoot() {
    std::string pattern = (fs::temp_directory_path() / "matchray-root-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    fs::create_directories(root + "/tmp");
    fs::create_directories(root + "/var/tuxbox/config/host");
    ReceiverRoot::set(root);
    // Named once per program; a root of a later test takes over the mapping.
    static const bool mapped = [] {
        void* units = dlopen("libplugin_units.so", RTLD_NOW | RTLD_NOLOAD);
        std::string error;
        if (units && !ReceiverRoot::mapCallsFrom(units, error))
            throw std::runtime_error("plugin_units can't be mapped: " + error);
        return units != nullptr;
    }();
    (void)mapped;
}

TempRoot::~TempRoot() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void TempRoot::writeFile(const std::string& receiverPath, const std::string& contents) const {
    fs::create_directories(fs::path(real(receiverPath)).parent_path());
    std::ofstream out(real(receiverPath), std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string TempRoot::readFile(const std::string& receiverPath) const {
    std::ifstream in(real(receiverPath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempRoot::exists(const std::string& receiverPath) const {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(real(receiverPath), ignored));
}
