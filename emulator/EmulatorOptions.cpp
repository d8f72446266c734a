#include "EmulatorOptions.h"

bool EmulatorOptions::parse(int argc, const char* const* argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--root") {
            if (!value(root)) return false;
            if (root.empty()) {
                error = "--root needs a directory";
                return false;
            }
        } else if (arg == "--script") {
            if (!value(scriptFile)) return false;
        } else if (arg == "--set") {
            std::string setting;
            if (!value(setting)) return false;
            const auto equals = setting.find('=');
            if (equals == std::string::npos || equals == 0) {
                error = "--set wants KEY=VALUE, got \"" + setting + "\"";
                return false;
            }
            settings.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (plugin.empty()) {
            plugin = arg;
        } else {
            error = "only one plug-in can be given, got \"" + plugin + "\" and \"" + arg + "\"";
            return false;
        }
    }
    if (plugin.empty() && !help) {
        error = "no plug-in given";
        return false;
    }
    return true;
}

const char* EmulatorOptions::usage() {
    return "usage: receiver-emu [--root DIR] [--set KEY=VALUE]... [--headless] [--script FILE] "
           "PLUGIN.so\n"
           "  --root DIR       receiver root that the plug-in's paths map under "
           "(default ./receiver-root)\n"
           "  --set KEY=VALUE  store a configuration key before the plug-in starts\n"
           "  --headless       no window: read script commands from --script FILE or stdin\n"
           "  --script FILE    script commands: wait MS, key NAME, dump, shot FILE.png\n";
}
