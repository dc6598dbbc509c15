#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// A listener on 127.0.0.1 that takes every connection and then stalls: it
// never answers, or it sends a server's greeting (offering TLS or not) and
// never answers after that, so that the login or the TLS handshake waits; or
// it closes each connection at once, without a word. It counts the
// connections it took and holds them until it goes.
//
// Or it plays a server (or whoever listens on a server's address) that
// greets without TLS and then asks for the password in clear, switching the
// login to mysql_clear_password or to dialog as a PAM account does; it keeps
// what the client sends, then closes.
class StallingServer {
public:
    enum class Mode { Silent, GreetThenStall, GreetWithTlsThenStall, CloseAtOnce, AskInClear, AskThroughDialog };
    explicit StallingServer(Mode mode = Mode::Silent);
    ~StallingServer();
    StallingServer(const StallingServer&) = delete;
    StallingServer& operator=(const StallingServer&) = delete;

    unsigned port() const { return port_; }
    int connections() const { return connections_.load(); }
    // AskInClear, AskThroughDialog: what the clients sent, once `served()`
    // connections have been closed.
    std::string received() const;
    int served() const { return served_.load(); }

private:
    void Serve();
    void AskForThePassword(int socket);

    Mode mode_;
    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    unsigned port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<int> served_{0};
    mutable std::mutex receivedLock_;
    std::string received_;
    std::vector<int> taken_;
    std::thread thread_;
};

}  // namespace testing_support
