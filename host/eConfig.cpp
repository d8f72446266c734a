#include "eConfig.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "eReceiverRoot.h"

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

int eConfig::getKey(const char* key, int& value) {
    if (!key) return -1;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = values.find(key);
    if (found == values.end() || found->second.empty()) return -1;
    const char* text = found->second.c_str();
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < INT_MIN || number > INT_MAX) return -1;
    value = static_cast<int>(number);
    return 0;
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
    std::ifstream in(eReceiverRoot::map(configPath));
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
    const fs::path path = eReceiverRoot::map(configPath);
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
