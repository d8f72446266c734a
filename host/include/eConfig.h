#pragma once
// The host's configuration store: string keys with string values, kept in the
// text file "/var/tuxbox/config/host/config" under the receiver root, one
// "KEY=VALUE" a line. The emulator's --set writes into it before the plug-in runs.

#include <map>
#include <mutex>
#include <string>

class eConfig {
public:
    static eConfig* instance();

    // 0 and a copy of the value in value (release it with free()) when the key
    // exists; -1 and value untouched otherwise.
    int getKey(const char* key, char*& value);
    void setKey(const char* key, const char* value);
    void delKey(const char* key);

    // Reloads the store from the file under the current receiver root.
    void reload();
    // Writes the store back to its file; false when that fails.
    bool flush();

private:
    eConfig();
    std::mutex mutex;
    std::map<std::string, std::string> values;
};
