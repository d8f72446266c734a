#include "EmulatorRun.h"

#include <filesystem>
#include <sstream>

#include "gPixmap.h"
#include "loadPNG.h"

namespace fs = std::filesystem;

std::string emulatorPath() {
    return std::string(MATCHRAY_BIN_DIR) + "/receiver-emu";
}
std::string testPluginPath() {
    return std::string(MATCHRAY_LIB_DIR) + "/testplugin.so";
}

EmulatorRun runEmulator(const TempRoot& root, const std::string& script,
                        const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {emulatorPath(), "--root", root.path(), "--headless"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(testPluginPath());
    return parseRun(runProcess(argv, script, 60000));
}

EmulatorRun parseRun(ProcessResult process) {
    EmulatorRun run;
    std::istringstream lines(process.out);
    std::string line;
    std::string dump;
    bool inDump = false;
    while (std::getline(lines, line)) {
        if (line == "dump begin") {
            inDump = true;
            dump.clear();
        } else if (line == "dump end") {
            inDump = false;
            run.dumps.push_back(dump);
        } else if (inDump) {
            dump += line + "\n";
        } else if (line.rfind("plugin_exec returned ", 0) == 0) {
            run.returned = true;
            run.result = std::stoi(line.substr(21));
        }
    }
    run.process = std::move(process);
    return run;
}

void installFlags(const TempRoot& root, const std::vector<std::string>& codes) {
    const std::string folder = root.real("/var/tuxbox/config/pitchside/countries");
    fs::create_directories(folder);
    for (const auto& code : codes) {
        const fs::path debian = "/usr/share/flags/countries/16x11/" + code + ".png";
        const std::string target = folder + "/" + code + ".png";
        if (fs::exists(debian)) {
            fs::copy_file(debian, target, fs::copy_options::overwrite_existing);
        } else {
            savePNG(target, gPixmap(16, 11, gColor(0xff3060c0u)));
        }
    }
}

std::vector<std::string> linesWith(const std::string& text, const std::string& needle) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find(needle) != std::string::npos) found.push_back(line);
    }
    return found;
}
