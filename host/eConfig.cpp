#include "eConfig.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "eReceiverFiles.h"

namespace {

const char* const configPath = "/var/tuxbox/config/host/config";

}  // namespace

eConfig* eConfig::instance() {
    static eConfig config;
    return &config;
}

eConfig::eConfig() {
    reload();
}

int eConfig::getKey(const char* key, char*& value) {
    if (!key) return -1;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = values.find(key);
    if (found == values.end()) return -1;
    value = strdup(found->second.c_str());
    return value ? 0 : -1;
}

void eConfig::setKey(const char* key, const char* value) {
    if (!key) return;
    std::lock_guard<std::mutex> lock(mutex);
    values[key] = value ? value : "";
}

void eConfig::delKey(const char* key) {
    if (!key) return;
    std::lock_guard<std::mutex> lock(mutex);
    values.erase(key);
}

void eConfig::reload() {
    std::map<std::string, std::string> loaded;
    std::ifstream in(eReceiverFiles::locate(configPath));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        loaded[line.substr(0, equals)] = line.substr(equals + 1);
    }
    std::lock_guard<std::mutex> lock(mutex);
    values = std::move(loaded);
}

bool eConfig::flush() {
    namespace fs = std::filesystem;
    const fs::path path = eReceiverFiles::locate(configPath);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    // Write a new file and rename it over the old one, so a reader never
    // sees half a store.
    const fs::path temporary = path.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& [key, value] : values) out << key << '=' << value << '\n';
        out.flush();
        if (!out) return false;
    }
    fs::rename(temporary, path, error);
    return !error;
}
