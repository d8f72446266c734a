#pragma once
// The emulator's receiver root: the folder on the PC that holds the receiver's
// own folders, /tmp and /var/tuxbox. The plug-in knows nothing of it and uses
// the receiver's absolute paths as they are. Two things put them under the root:
//  - the host's own work on receiver paths (loadPNG, the configuration store),
//    which set() points at map() through eReceiverFiles;
//  - the C library's path-taking functions (open, fopen, opendir, remove,
//    unlink, stat, ...) are defined again in ReceiverFileCalls.cpp. In a
//    program that exports them, as receiver-emu does, a loaded module's calls
//    bind to them first. They map the paths of calls made from the code of the
//    modules named with mapCallsFrom, and pass every other call on unchanged,
//    so the program's own files and those of its libraries stay where they are.
// Set the root and name the modules before other threads start.

#include <cstddef>
#include <cstdint>
#include <string>

struct dl_phdr_info;

class ReceiverRoot {
public:
    // Makes directory the root, for the plug-in's calls and the host's alike.
    static void set(const std::string& directory);
    static const std::string& get();

    // A path in /tmp or /var/tuxbox, once "." and ".." are resolved, as ROOT +
    // path. Any other path comes back as it is, and so does every path when
    // the root is "/" and a path that already lies in the root.
    static std::string map(const std::string& path);

    // Maps the paths of the calls that the code of a loaded module (a dlopen
    // handle) makes. False, with the reason in error, when the module's code
    // can't be found or the program doesn't export the file functions, so
    // that the module's calls would reach the C library unmapped.
    static bool mapCallsFrom(void* module, std::string& error);
    // Whether the code at address belongs to such a module.
    static bool mapsCallsFrom(const void* address);

    // A file function defined in ReceiverFileCalls.cpp, ended by a null name.
    struct FileCall {
        const char* name;
        void* function;
    };
    static const FileCall* fileCalls();

private:
    static int addCode(dl_phdr_info* info, size_t size, void* module);
    // Adds a range of mapped code; false when there is no room for more.
    static bool addCodeRange(uintptr_t begin, uintptr_t end);
};
