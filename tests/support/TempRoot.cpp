#include "TempRoot.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "eReceiverRoot.h"

namespace fs = std::filesystem;

TempRoot::TempRoot() {
    std::string pattern = (fs::temp_directory_path() / "matchray-root-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    fs::create_directories(root + "/tmp");
    fs::create_directories(root + "/var/tuxbox/config/host");
    eReceiverRoot::set(root);
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
