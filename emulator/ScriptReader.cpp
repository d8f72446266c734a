#include "ScriptReader.h"

#include <cstdio>
#include <sstream>

namespace {

bool isNumber(const std::string& text) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

bool ScriptReader::next(ScriptCommand& command) {
    std::string line;
    while (in && std::getline(*in, line)) {
        ++lineNumber;
        std::string error;
        if (parse(line, command, error)) {
            command.line = lineNumber;
            return true;
        }
        if (!error.empty()) {
            std::fprintf(stderr, "receiver-emu: script line %d: %s\n", lineNumber, error.c_str());
            std::fflush(stderr);
        }
    }
    return false;
}

bool ScriptReader::parse(const std::string& line, ScriptCommand& command, std::string& error) {
    error.clear();
    std::istringstream words(line.substr(0, line.find('#')));
    std::string name;
    if (!(words >> name)) return false;
    std::string argument;
    words >> argument;
    std::string extra;
    if (words >> extra) {
        error = "too many arguments to " + name;
        return false;
    }
    command = ScriptCommand();
    if (name == "dump") {
        if (!argument.empty()) error = "dump takes no argument";
        command.op = ScriptCommand::Op::dump;
    } else if (name == "wait") {
        if (!isNumber(argument) || std::stol(argument) > maxWait) {
            error = "wait wants milliseconds from 0 to " + std::to_string(maxWait) + ", got \"" +
                    argument + "\"";
        } else {
            command.op = ScriptCommand::Op::wait;
            command.milliseconds = static_cast<int>(std::stol(argument));
        }
    } else if (name == "key") {
        command.op = ScriptCommand::Op::key;
        command.key = keyFromName(argument);
        if (command.key == eKey::none) error = "unknown key \"" + argument + "\"";
    } else if (name == "shot") {
        command.op = ScriptCommand::Op::shot;
        command.file = argument;
        if (argument.empty()) error = "shot wants a file name";
    } else {
        error = "unknown command \"" + name + "\"";
    }
    return error.empty();
}
