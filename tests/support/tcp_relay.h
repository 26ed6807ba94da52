#pragma once

#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct addrinfo;

namespace tillora::test {

// A TCP relay on 127.0.0.1 in front of the test server, for tests of a connection that breaks
// or a server that stops answering. It serves any number of connections on one thread.
class TcpRelay {
  public:
    // Hold: these bytes and all that follow from that client wait for release(); the client
    // going away then leaves the server side open (half-open, as after a cut cable).
    enum class Action { Pass, PassThenDrop, Drop, Hold };
    // Decides, on the relay's thread, what becomes of bytes a client sends and of its connection.
    using ClientFilter = std::function<Action(const char* data, std::size_t size)>;

    explicit TcpRelay(const QString& serverUrl, ClientFilter filter = {});
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    bool isValid() const { return port_ != 0; }
    // The server URL through the relay, unencrypted so that a filter sees the statements.
    QString url() const;
    // While stalled nothing is passed on either way, as from a server that stopped answering.
    void stall(bool stalled) { stalled_ = stalled; }
    // Passes on what is held.
    void release() { release_ = true; }

  private:
    void serve();
    void closePair(std::size_t first);

    QString serverUrl_;
    ClientFilter filter_;
    addrinfo* target_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> sockets_;                      // pairs: client, server
    std::vector<std::optional<std::string>> held_;  // per pair, while it holds
    std::atomic<bool> release_{false};
    std::atomic<bool> stalled_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tillora::test
