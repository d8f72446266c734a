#include "EmulatorRun.h"

#include <chrono>
#include <filesystem>
#include <sstream>

#include "gPixmap.h"
#include "loadPNG.h"

std::string emulatorPath() {
    return MATCHRAY_BIN_DIR "/receiver-emu";
}

EmulatorRun::EmulatorRun(const TempRoot& root, const std::string& script,
                         const EmulatorSettings& settings) {
    std::vector<std::string> argv = {emulatorPath(), "--root", root.path(), "--headless"};
    auto set = [&](const std::string& key, const std::string& value) {
        if (!value.empty() && value != "0") argv.insert(argv.end(), {"--set", key + "=" + value});
    };
    set("/matchray/listings_host", settings.listingsHost);
    set("/matchray/pictures_host", settings.picturesHost);
    set("/matchray/connect_timeout", std::to_string(settings.connectTimeout));
    set("/matchray/stall_timeout", std::to_string(settings.stallTimeout));
    for (const std::string& setting : settings.more) argv.insert(argv.end(), {"--set", setting});
    argv.push_back(settings.plugin);
    const auto start = std::chrono::steady_clock::now();
    result = runProcess(argv, script, settings.timeoutMs);
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    readDumps();
}

EmulatorRun::EmulatorRun(ProcessResult process, double seconds)
    : result(std::move(process)), elapsed(seconds) {
    readDumps();
}

void EmulatorRun::readDumps() {
    std::istringstream lines(result.out);
    std::string line, screen;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (line == "dump begin") {
            inside = true;
            screen.clear();
        } else if (line == "dump end" && inside) {
            inside = false;
            screens.push_back(screen);
        } else if (inside) {
            screen += line + "\n";
        }
    }
}

std::optional<int> EmulatorRun::returned() const {
    const std::string marker = "\nplugin_exec returned ";
    const size_t at = ("\n" + result.out).rfind(marker);
    if (at == std::string::npos) return std::nullopt;
    return std::atoi(result.out.c_str() + at + marker.size() - 1);
}

std::string EmulatorRun::transcript() const {
    std::ostringstream text;
    text << "exit " << result.exitCode << ", signal " << result.signal
         << (result.timedOut ? ", timed out" : "") << ", " << elapsed << " s\n--- stdout\n"
         << result.out << "--- stderr\n"
         << result.err;
    return text.str();
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

namespace {

// A line of the dump that starts, after its indent, with start and holds part.
bool hasLineWith(const std::string& dump, const std::string& start, const std::string& part) {
    for (const std::string& line : linesWith(dump, part)) {
        if (line.compare(line.find_first_not_of(' '), start.size(), start) == 0) return true;
    }
    return false;
}

}  // namespace

bool showsErrorBox(const std::string& dump) {
    return hasLineWith(dump, "eMessageBox ", "\"Error\"") &&
           dump.find("Can't connect to server!") != std::string::npos;
}

// Both windows name their list "choices"; only the main window has the filter
// buttons, and it is hidden while the detail window runs.
bool showsMainWindow(const std::string& dump) {
    return hasLineWith(dump, "eListBox", "\"choices\"") && hasLineWith(dump, "eButton ", "\"All\"");
}

bool showsDetailWindow(const std::string& dump) {
    return hasLineWith(dump, "eListBox", "\"choices\"") &&
           !hasLineWith(dump, "eButton ", "\"All\"");
}

std::vector<std::string> entryLines(const std::string& dump) {
    std::vector<std::string> entries;
    for (const std::string& line : linesWith(dump, "entry ")) {
        if (line.find_first_not_of(" *") == line.find("entry ")) entries.push_back(line);
    }
    return entries;
}

void installFlags(const TempRoot& root, const std::vector<std::string>& codes) {
    namespace fs = std::filesystem;
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
