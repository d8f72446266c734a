#pragma once
// A receiver root of its own for one test: a fresh directory with "tmp" and
// the config directory inside, made the host's receiver root while it lives,
// and removed with everything in it afterwards. When the test program runs the
// plug-in's code from the plugin_units module, as the emulator runs
// matchray.so, that code's calls go under the root as well.

#include <string>

class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::string& path() const { return root; }
    // ROOT + receiverPath.
    std::string real(const std::string& receiverPath) const { return root + receiverPath; }

    void writeFile(const std::string& receiverPath, const std::string& contents) const;
    std::string readFile(const std::string& receiverPath) const;
    bool exists(const std::string& receiverPath) const;

private:
    std::string root;
};
