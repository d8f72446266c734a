// listings-server: imports listings into an SQLite database and serves them to
// receivers over HTTP.

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "CommandLine.h"
#include "DatabaseError.h"
#include "Importer.h"
#include "ListingsService.h"
#include "LogWriter.h"

namespace {

std::int64_t nowUtc() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int runImport(const CommandLine& cl) {
    // A database that isn't there yet is made under another name and renamed onto its path
    // once whole, so that a server watching the path never serves it half made.
    const bool fresh = access(cl.dbPath.c_str(), F_OK) != 0;
    const std::string made =
        fresh ? cl.dbPath + ".importing-" + std::to_string(getpid()) : cl.dbPath;
    Importer::Result result;
    try {
        Database db(made, Database::Mode::create);
        result = Importer(db, nowUtc()).importFile(cl.jsonPath);
    } catch (const DatabaseError& e) {
        result.error = e.what();
    }
    if (result.ok() && fresh && std::rename(made.c_str(), cl.dbPath.c_str()) != 0)
        result.error = "cannot rename " + made + " to " + cl.dbPath + ": " + std::strerror(errno);
    if (!result.ok()) {
        if (fresh) {
            std::remove(made.c_str());
            std::remove((made + "-journal").c_str());
        }
        std::fprintf(stderr, "listings-server: %s: %s\nnothing was imported\n", cl.jsonPath.c_str(),
                     result.error.c_str());
        return 1;
    }
    std::printf("imported %d channels, %d pictures, %d matches into %s\n", result.channels,
                result.pictures, result.matches, cl.dbPath.c_str());
    return 0;
}

int runServe(const CommandLine& cl) {
    // SIGINT and SIGTERM are taken by a thread of their own, which stops the service;
    // every thread started from here on inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // Every open connection holds a descriptor: allow as many as the system lets us.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    // Every message from here on goes through the log's own thread, so that a reader of
    // standard error that stalls holds up neither serving nor stopping.
    LogWriter log(STDERR_FILENO);
    ListingsService::Options options;
    options.dbPath = cl.dbPath;
    options.bindAddress = cl.bindAddress;
    options.port = cl.port;
    options.picturesDir = cl.picturesDir;
    options.threads = cl.threads;
    options.requestDeadlineMs = cl.requestDeadlineSeconds * 1000;
    options.idleLimitMs = cl.idleLimitSeconds * 1000;
    options.log = [&log](const std::string& line) { log.write(line); };
    try {
        ListingsService service(options);
        const HttpServer::Listening listening = service.bind();
        if (listening.port < 0) {
            log.write("listings-server: " + listening.error);
            return 1;
        }
        std::printf("listening on %s:%d\n", cl.bindAddress.c_str(), listening.port);
        std::fflush(stdout);

        std::thread signalWaiter([&service, stopSignals] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            service.stop();
        });
        const bool served = service.run();
        // Wake the waiter when the service ended for a reason of its own.
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
        signalWaiter.join();
        log.write(served ? "listings-server: stopped" : "listings-server: serving failed");
        return served ? 0 : 1;
    } catch (const std::exception& e) {
        log.write(std::string("listings-server: ") + e.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLine cl = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!cl.error.empty()) {
        std::fprintf(stderr, "listings-server: %s\n%s", cl.error.c_str(), CommandLine::usage());
        return 2;
    }
    switch (cl.command) {
        case CommandLine::Command::import:
            return runImport(cl);
        case CommandLine::Command::serve:
            return runServe(cl);
        case CommandLine::Command::help:
            break;
    }
    std::fputs(CommandLine::usage(), stdout);
    return 0;
}
