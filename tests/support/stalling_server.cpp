#include "support/stalling_server.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {
namespace {

std::string Packet(const std::string& payload, char sequence) {
    std::string packet;
    packet += static_cast<char>(payload.size() & 0xff);
    packet += static_cast<char>((payload.size() >> 8) & 0xff);
    packet += '\0';
    packet += sequence;
    return packet + payload;
}

// The first packet of a MariaDB server: protocol 10, mysql_native_password,
// TLS offered or not.
std::string Greeting(bool offersTls) {
    std::string payload;
    payload += '\x0a';
    payload += std::string("5.5.5-10.11.0-MariaDB") + '\0';
    payload += std::string("\x01\x00\x00\x00", 4);  // connection id
    payload += "abcdefgh";                          // first part of the scramble
    payload += '\0';
    // long password, with db, protocol 41, secure connection, and TLS
    payload += std::string(offersTls ? "\x09\x8a" : "\x09\x82", 2);
    payload += '\x2d';                      // utf8mb4
    payload += std::string("\x02\x00", 2);  // autocommit
    payload += std::string("\x08\x00", 2);  // plugin auth
    payload += '\x15';                      // scramble length 21
    payload += std::string(10, '\0');
    payload += std::string("ijklmnopqrst") + '\0';  // second part of the scramble
    payload += std::string("mysql_native_password") + '\0';
    return Packet(payload, '\0');
}

// What comes within two seconds, until the client closes or stops sending.
std::string Take(int socket) {
    std::string taken;
    char buffer[4096];
    pollfd watched{socket, POLLIN, 0};
    while (::poll(&watched, 1, 2000) > 0) {
        const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        taken.append(buffer, static_cast<std::size_t>(count));
        const std::size_t length =
            taken.size() < 4 ? 0 : static_cast<unsigned char>(taken[0]) | static_cast<unsigned char>(taken[1]) << 8U;
        if (taken.size() >= 4 && taken.size() >= 4 + length) break;  // one whole packet
    }
    return taken;
}

}  // namespace

StallingServer::StallingServer(Mode mode) : mode_(mode) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("stalling server: ") + std::strerror(errno));
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

StallingServer::~StallingServer() {
    const char stop = 's';
    [[maybe_unused]] const ssize_t written = ::write(stopPipe_[1], &stop, 1);
    thread_.join();
    for (const int socket : taken_) ::close(socket);
    ::close(listener_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void StallingServer::Serve() {
    const std::string greeting = Greeting(mode_ == Mode::GreetWithTlsThenStall);
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) continue;
        if (watched[1].revents != 0) return;
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue;
        ++connections_;
        if (mode_ == Mode::CloseAtOnce) {
            ::close(socket);
            continue;
        }
        if (mode_ == Mode::AskInClear || mode_ == Mode::AskThroughDialog) {
            AskForThePassword(socket);
            continue;
        }
        taken_.push_back(socket);
        if (mode_ != Mode::Silent) {
            [[maybe_unused]] const ssize_t sent = ::send(socket, greeting.data(), greeting.size(), MSG_NOSIGNAL);
        }
    }
}

void StallingServer::AskForThePassword(int socket) {
    const std::string greeting = Greeting(false);
    [[maybe_unused]] const ssize_t greeted = ::send(socket, greeting.data(), greeting.size(), MSG_NOSIGNAL);
    std::string sent = Take(socket);  // the login, with the scrambled password
    // An authentication switch: the plugin and its data (dialog: a password
    // question, the last one).
    const std::string question = mode_ == Mode::AskInClear ? std::string("mysql_clear_password") + '\0'
                                                           : std::string("dialog") + '\0' + '\x04' + "Password: ";
    const std::string ask = Packet('\xfe' + question, '\x02');
    [[maybe_unused]] const ssize_t asked = ::send(socket, ask.data(), ask.size(), MSG_NOSIGNAL);
    sent += Take(socket);
    ::close(socket);
    {
        const std::lock_guard<std::mutex> hold(receivedLock_);
        received_ += sent;
    }
    ++served_;
}

std::string StallingServer::received() const {
    const std::lock_guard<std::mutex> hold(receivedLock_);
    return received_;
}

}  // namespace testing_support
