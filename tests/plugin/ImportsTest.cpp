// What matchray.so takes from outside, as its dynamic symbols tell (nm): of
// the host only the toolkit interface of imports.txt, and of the C library's
// path-taking functions only those that receiver-emu puts under its root.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "EmulatorRun.h"

namespace {

// The names of one [section] of imports.txt.
std::set<std::string> listed(const std::string& section) {
    std::ifstream file(MATCHRAY_SOURCE_DIR "/tests/plugin/imports.txt");
    std::set<std::string> names;
    std::string current;
    for (std::string line; std::getline(file, line);) {
        if (line[0] == '[') current = line;
        if (current == section && line.find_first_of("[#") != 0 && !line.empty())
            names.insert(line);
    }
    return names;
}

// The dynamic symbols of file that nm lists with option, each without its version
// (and, when unversioned is given, those that have none).
std::set<std::string> symbols(const std::string& file, const std::string& option,
                              std::set<std::string>* unversioned = nullptr) {
    const ProcessResult nm = runProcess({MATCHRAY_NM, "-D", "-C", "--format=posix", option, file});
    EXPECT_TRUE(nm.exitCode == 0 && !nm.out.empty()) << nm.err;
    // "NAME TYPE [VALUE [SIZE]]"; a demangled name has blanks of its own.
    static const std::regex entry("([^@]*)(@\\S*)? [A-Za-z]( [0-9a-f]+)* *");
    std::set<std::string> names;
    std::istringstream lines(nm.out);
    std::smatch parts;
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_match(line, parts, entry)) continue;
        names.insert(parts[1]);
        if (unversioned && !parts[2].matched) unversioned->insert(parts[1]);
    }
    return names;
}

const std::string plugin = MATCHRAY_LIB_DIR "/matchray.so";

TEST(Imports, OfTheHostOnlyItsToolkitInterface) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's runtime defines C library functions without versions";
#endif
    const std::set<std::string> allowed = listed("[host]");
    std::set<std::string> unversioned;
    symbols(plugin, "--undefined-only", &unversioned);
    int fromHost = 0;
    const std::regex otherLibrary("(sigc::|curl_|_ITM_|__gmon_start__).*");
    for (const std::string& name : unversioned) {
        if (std::regex_match(name, otherLibrary)) continue;
        ++fromHost;
        EXPECT_TRUE(allowed.count(name) || allowed.count(name.substr(0, name.find('('))))
            << name << " is not in imports.txt";
    }
    EXPECT_GT(fromHost, 40) << "the host's symbols were not found";
}

TEST(Imports, PathCallsOnlyWhereTheEmulatorMapsThem) {
    const std::set<std::string> pathCalls = listed("[path calls]");
    const std::set<std::string> mapped = symbols(emulatorPath(), "--defined-only");
    int called = 0;
    for (const std::string& name : symbols(plugin, "--undefined-only")) {
        if (!pathCalls.count(name)) continue;
        ++called;
        EXPECT_TRUE(mapped.count(name)) << "receiver-emu does not map " << name;
    }
    EXPECT_GT(called, 3) << "the plug-in's file calls were not found";
}

}  // namespace
