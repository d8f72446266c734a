#include "Emulator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "HeadlessDriver.h"
#include "PluginModule.h"
#include "ReceiverRoot.h"
#include "eConfig.h"
#ifdef MATCHRAY_HAVE_SDL
#include "SdlDriver.h"
#endif

namespace fs = std::filesystem;

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "receiver-emu: %s\n", message.c_str());
    return 2;
}

}  // namespace

int Emulator::run(int argc, const char* const* argv) {
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::fprintf(stderr, "receiver-emu: %s\n%s", error.c_str(), EmulatorOptions::usage());
        return 2;
    }
    if (options.help) {
        std::fputs(EmulatorOptions::usage(), stdout);
        return 0;
    }
    if (!prepareRoot(error) || !applySettings(error) || !openScript(error)) return fail(error);

    PluginModule plugin;
    if (!plugin.load(options.plugin, error)) return fail(error);
    // The plug-in's files go under the root, or the plug-in doesn't run.
    if (!ReceiverRoot::mapCallsFrom(plugin.handle(), error))
        return fail("cannot give the plug-in the receiver's files: " + error);

    std::unique_ptr<eLoopDriver> driver = makeDriver();
    eMainLoop::instance().setDriver(driver.get());
    const int result = plugin.exec();
    eMainLoop::instance().setDriver(nullptr);
    driver.reset();

    std::printf("plugin_exec returned %d\n", result);
    std::fflush(stdout);
    return 0;
}

bool Emulator::prepareRoot(std::string& error) {
    fs::path root = fs::absolute(options.root).lexically_normal();
    if (root.has_relative_path() && root.filename().empty()) root = root.parent_path();
    std::error_code failure;
    for (const char* inside : {"tmp", "var/tuxbox/config/host"}) {
        fs::create_directories(root / inside, failure);
        if (failure) {
            error = "cannot create " + (root / inside).string() + ": " + failure.message();
            return false;
        }
    }
    // The plug-in clears pictures out of its /tmp: never the PC's own.
    for (const char* own : {"/tmp", "/var/tuxbox"}) {
        if (fs::equivalent(root / (own + 1), own, failure)) {
            error =
                (root / (own + 1)).string() + " is the PC's own " + own + "; choose another --root";
            return false;
        }
    }
    ReceiverRoot::set(root.string());
    return true;
}

bool Emulator::applySettings(std::string& error) {
    eConfig* config = eConfig::instance();
    config->reload();
    if (options.settings.empty()) return true;
    for (const auto& [key, value] : options.settings) config->setKey(key.c_str(), value.c_str());
    if (!config->flush()) {
        error = "cannot write the configuration under " + ReceiverRoot::get();
        return false;
    }
    return true;
}

bool Emulator::openScript(std::string& error) {
    if (options.scriptFile.empty()) return true;
    scriptFile.open(options.scriptFile);
    if (!scriptFile) {
        error = "cannot read script " + options.scriptFile;
        return false;
    }
    script = &scriptFile;
    return true;
}

std::unique_ptr<eLoopDriver> Emulator::makeDriver() {
#ifdef MATCHRAY_HAVE_SDL
    const char* display = std::getenv("DISPLAY");
    if (!options.headless && display && *display) {
        std::string error;
        auto window = SdlDriver::open(script, "receiver-emu: " + options.plugin, error);
        if (window) return window;
        std::fprintf(stderr, "receiver-emu: %s; running headless\n", error.c_str());
    }
#endif
    // Headless without --script reads its commands from standard input.
    return std::make_unique<HeadlessDriver>(script ? script : &std::cin);
}
