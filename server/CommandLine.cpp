#include "CommandLine.h"

namespace {

bool readInt(const std::string& text, int min, int max, int& value) {
    if (text.empty() || text.size() > 6) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < min || v > max) return false;
    value = v;
    return true;
}

}  // namespace

const char* CommandLine::usage() {
    return "usage: listings-server import --db FILE DATA.json\n"
           "       listings-server serve --db FILE [--bind ADDR] [--port N] [--pictures DIR]"
           " [--threads N]\n"
           "                             [--request-deadline S] [--idle-limit S]\n"
           "  --bind ADDR     address to listen on (default 127.0.0.1)\n"
           "  --port N        port to listen on, 0 for any free one (default 8080)\n"
           "  --pictures DIR  serve /fix/NAME from DIR when NAME is not in the database\n"
           "  --threads N     threads for answers not in memory (default 8)\n"
           "  --request-deadline S  a request's header and body must arrive within S seconds"
           " (default 10)\n"
           "  --idle-limit S  close a connection that waits S seconds for its next request"
           " (default 5)\n";
}

CommandLine CommandLine::parse(const std::vector<std::string>& args) {
    CommandLine cl;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") return cl;
    if (args[0] == "import") {
        cl.command = Command::import;
    } else if (args[0] == "serve") {
        cl.command = Command::serve;
    } else {
        cl.error = "unknown command \"" + args[0] + "\"";
        return cl;
    }

    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "--db" ||
            (cl.command == Command::serve &&
             (arg == "--bind" || arg == "--port" || arg == "--pictures" || arg == "--threads" ||
              arg == "--request-deadline" || arg == "--idle-limit"));
        if (takesValue) {
            if (i + 1 >= args.size()) {
                cl.error = arg + " needs a value";
                return cl;
            }
            const std::string& value = args[++i];
            if (arg == "--db") {
                cl.dbPath = value;
            } else if (arg == "--bind") {
                cl.bindAddress = value;
            } else if (arg == "--pictures") {
                cl.picturesDir = value;
            } else if (arg == "--port" && !readInt(value, 0, 65535, cl.port)) {
                cl.error = "--port needs a number from 0 to 65535";
                return cl;
            } else if (arg == "--threads" && !readInt(value, 1, 256, cl.threads)) {
                cl.error = "--threads needs a number from 1 to 256";
                return cl;
            } else if (arg == "--request-deadline" &&
                       !readInt(value, 1, 3600, cl.requestDeadlineSeconds)) {
                cl.error = "--request-deadline needs a number of seconds from 1 to 3600";
                return cl;
            } else if (arg == "--idle-limit" && !readInt(value, 1, 3600, cl.idleLimitSeconds)) {
                cl.error = "--idle-limit needs a number of seconds from 1 to 3600";
                return cl;
            }
        } else if (cl.command == Command::import && cl.jsonPath.empty() && !arg.empty() &&
                   arg[0] != '-') {
            cl.jsonPath = arg;
        } else {
            cl.error = "unexpected argument \"" + arg + "\"";
            return cl;
        }
    }
    if (cl.dbPath.empty()) {
        cl.error = "--db FILE is required";
    } else if (cl.command == Command::import && cl.jsonPath.empty()) {
        cl.error = "import needs a JSON file";
    }
    return cl;
}
