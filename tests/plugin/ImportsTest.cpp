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

// The names in one [section] of imports.txt.
std::set<std::string> listed(const std::string& section) {
    std::ifstream file(MATCHRAY_SOURCE_DIR "/tests/plugin/imports.txt");
    std::set<std::string> names;
    std::string line, current;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            current = line;
        } else if (current == "[host]") {
            if (section == current) names.insert(line);
        } else if (section == current) {
            std::istringstream words(line);
            for (std::string word; words >> word;) names.insert(word);
        }
    }
    return names;
}

// The dynamic symbols of a file that nm lists with options, without their versions;
// versioned tells which had one.
std::set<std::string> symbols(const std::string& file, const std::vector<std::string>& options,
                              std::set<std::string>* versioned = nullptr) {
    std::vector<std::string> argv = {MATCHRAY_NM, "-D", "--format=posix"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(file);
    const ProcessResult nm = runProcess(argv);
    EXPECT_TRUE(nm.exitCode == 0 && !nm.out.empty()) << nm.err;
    // "NAME TYPE [VALUE [SIZE]]"; a demangled name has blanks of its own.
    static const std::regex entry("(.*) [A-Za-z]( [0-9a-f]+)* *");
    std::set<std::string> names;
    std::istringstream lines(nm.out);
    std::smatch parts;
    for (std::string line; std::getline(lines, line);) {
        if (!std::regex_match(line, parts, entry)) continue;
        const std::string name = parts[1];
        const size_t at = name.find('@');
        if (at != std::string::npos && versioned) versioned->insert(name.substr(0, at));
        names.insert(name.substr(0, at));
    }
    return names;
}

bool isOtherLibrarys(const std::string& name) {
    for (const char* prefix : {"sigc::", "curl_", "__asan", "__ubsan", "__tsan", "__sanitizer",
                               "__lsan", "_ITM_", "__gmon_start__"})
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

const std::string plugin = MATCHRAY_LIB_DIR "/matchray.so";

TEST(Imports, OfTheHostOnlyItsToolkitInterface) {
    const std::set<std::string> allowed = listed("[host]");
    std::set<std::string> versioned, fromHost;
    for (const std::string& name : symbols(plugin, {"-C", "--undefined-only"}, &versioned)) {
        if (versioned.count(name) || isOtherLibrarys(name)) continue;
        fromHost.insert(name);
        const std::string member = name.substr(0, name.find('('));
        EXPECT_TRUE(allowed.count(name) || allowed.count(member))
            << name << " is not in imports.txt";
    }
    EXPECT_GT(fromHost.size(), 40u) << "the host's symbols were not found";
}

TEST(Imports, PathCallsOnlyWhereTheEmulatorMapsThem) {
    const std::set<std::string> pathCalls = listed("[path calls]");
    const std::set<std::string> mapped = symbols(emulatorPath(), {"--defined-only"});
    int called = 0;
    for (const std::string& name : symbols(plugin, {"--undefined-only"})) {
        if (!pathCalls.count(name)) continue;
        ++called;
        EXPECT_TRUE(mapped.count(name)) << "receiver-emu does not map " << name;
    }
    EXPECT_GT(called, 3) << "the plug-in's file calls were not found";
}

}  // namespace
