#pragma once
// Reads emulator script commands, one a line. '#' starts a comment; blank
// lines are skipped. Commands:
//   wait MS        let the GUI loop run for MS milliseconds
//   key NAME       press a remote control key (up, down, left, right, ok, exit,
//                  red, green, yellow, blue)
//   dump           print the screen as text
//   shot FILE.png  save the screen as a PNG picture

#include <istream>
#include <string>

#include "eKey.h"

struct ScriptCommand {
    enum class Op { wait, key, dump, shot };
    Op op = Op::dump;
    int milliseconds = 0;
    eKey key = eKey::none;
    std::string file;
    int line = 0;
};

class ScriptReader {
public:
    // The longest wait a script may ask for: one hour.
    static constexpr long maxWait = 3600L * 1000;

    // in must outlive the reader; null means an empty script.
    explicit ScriptReader(std::istream* in) : in(in) {}

    // The next good command; false once the script has ended. A bad line is
    // reported on stderr with its number and skipped.
    bool next(ScriptCommand& command);

    // Parses one line. Returns false with a message in error for a bad line,
    // and false with error empty for a blank or comment line.
    static bool parse(const std::string& line, ScriptCommand& command, std::string& error);

private:
    std::istream* in;
    int lineNumber = 0;
};
