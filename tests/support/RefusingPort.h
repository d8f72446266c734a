#pragma once
// A loopback port that refuses every connection: a TCP socket bound to
// 127.0.0.1 with a port chosen by the system and never listening. Holding the
// binding keeps the port from being handed to anyone else meanwhile; once it is
// destroyed, the port is a free one for a program that binds it itself.

#include <string>

class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int port() const { return boundPort; }
    std::string hostPort() const { return "127.0.0.1:" + std::to_string(boundPort); }

private:
    int fd = -1;
    int boundPort = 0;
};
