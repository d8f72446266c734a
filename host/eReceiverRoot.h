#pragma once
// Maps the receiver's absolute paths ("/tmp/psn", "/var/tuxbox/...") under the
// receiver root. On a receiver the root is "/"; the emulator and the tests set
// a directory of their own so nothing touches the real /tmp. Every file and
// directory access of the plug-in goes through map(). Set the root before
// other threads start; it is read without a lock.

#include <string>

class eReceiverRoot {
public:
    static void set(const std::string& directory);
    static const std::string& get();

    // "/tmp/psn" -> ROOT + "/tmp/psn". Relative paths are taken as absolute.
    static std::string map(const std::string& receiverPath);
    // The inverse of map for paths under the root; others come back unchanged.
    static std::string unmap(const std::string& realPath);
};
