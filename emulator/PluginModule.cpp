#include "PluginModule.h"

#include <dlfcn.h>

bool PluginModule::load(const std::string& path, std::string& error) {
    // Without a slash dlopen searches the library path, not the current directory.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
        const char* why = dlerror();
        error = "cannot load plug-in " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    dlerror();
    void* symbol = dlsym(handle, "plugin_exec");
    if (!symbol) {
        error = "plug-in " + path + " has no plugin_exec";
        return false;
    }
    entry = reinterpret_cast<Entry>(symbol);
    module = handle;
    return true;
}

int PluginModule::exec() const {
    return entry ? entry() : -1;
}
