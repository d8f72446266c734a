#pragma once
// A loaded plug-in and its entry point plugin_exec. The module stays loaded
// until the process ends: a plug-in's static objects and stray threads may
// still refer to its code after plugin_exec has returned.

#include <string>

class PluginModule {
public:
    // dlopen()s path with its symbols global and looks up plugin_exec; false
    // with a message in error when either fails.
    bool load(const std::string& path, std::string& error);
    // Calls plugin_exec as the host does, on the calling (GUI) thread.
    int exec() const;
    // The dlopen handle, null before load.
    void* handle() const { return module; }

private:
    using Entry = int (*)();
    Entry entry = nullptr;
    void* module = nullptr;
};
