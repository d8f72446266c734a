#pragma once
// A TCP listener on 127.0.0.1 that lets connections in (the kernel accepts
// them into its backlog) but never reads or answers: a server that hangs.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

class SilentServer {
public:
    SilentServer() {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(fd, 16) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~SilentServer() {
        if (fd >= 0) close(fd);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string hostPort() const { return "127.0.0.1:" + std::to_string(port); }

    int port = 0;

private:
    int fd = -1;
};
