#include "LoopbackServer.h"

#include <chrono>
#include <stdexcept>

LoopbackServer::LoopbackServer() {
    // Recorded before the answer goes out (a logger runs after it), so a
    // client that has its answer always finds its request recorded.
    http.set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        Request r;
        r.method = req.method;
        r.path = req.path;
        r.body = req.body;
        r.userAgent = req.get_header_value("User-Agent");
        r.contentType = req.get_header_value("Content-Type");
        r.remotePort = req.remote_port;
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(std::move(r));
    });
}

LoopbackServer::~LoopbackServer() {
    stop();
}

void LoopbackServer::start() {
    boundPort = http.bind_to_any_port("127.0.0.1");
    if (boundPort <= 0) throw std::runtime_error("cannot bind a loopback port");
    thread = std::thread([this] { http.listen_after_bind(); });
    // The socket listens from bind on; wait until the loop serves it too.
    while (!http.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void LoopbackServer::stop() {
    if (!thread.joinable()) return;
    http.stop();
    thread.join();
}

std::string LoopbackServer::hostPort() const {
    return "127.0.0.1:" + std::to_string(boundPort);
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() {
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}
