#pragma once
// The listings-server command line:
//   listings-server import --db FILE DATA.json
//   listings-server serve --db FILE [--bind ADDR] [--port N] [--pictures DIR] [--threads N]
//                         [--request-deadline S] [--idle-limit S]

#include <string>
#include <vector>

struct CommandLine {
    enum class Command { help, import, serve };

    Command command = Command::help;
    std::string dbPath;
    std::string jsonPath;
    std::string bindAddress = "127.0.0.1";
    int port = 8080;
    std::string picturesDir;
    int threads = 8;
    int requestDeadlineSeconds = 10;
    int idleLimitSeconds = 5;
    std::string error;  // empty when the arguments were understood

    static CommandLine parse(const std::vector<std::string>& args);
    static const char* usage();
};
