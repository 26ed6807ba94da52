#pragma once

// A receipt printer on the network, for the tests and the benchmark: a listener on 127.0.0.1
// that keeps each connection's bytes as one job, as a printer on port 9100 would print them,
// and a print queue of the caller's own to put in front of it.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace tillora::test {

// How a printer reads: `chunk` bytes at a time (0: all it can), `pauseMs` between reads, and no
// more at all once it has `stopAfter` bytes (-1: never stops).
struct ListenerPace {
    int chunk = 0;
    int pauseMs = 0;
    qsizetype stopAfter = -1;
};

// A network receipt printer: takes each connection's bytes as one job.
class JobListener {
  public:
    using Pace = ListenerPace;
    explicit JobListener(Pace pace = {}) : pace_(pace) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&addr), length) != 0 ||
            ::listen(socket_, 4) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
            return;
        }
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~JobListener() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(socket_);
    }
    JobListener(const JobListener&) = delete;
    JobListener& operator=(const JobListener&) = delete;

    int port() const { return port_; }
    QString uri() const { return QStringLiteral("socket://127.0.0.1:%1").arg(port_); }
    int jobCount() const {
        const std::lock_guard lock(mutex_);
        return static_cast<int>(jobs_.size());
    }
    // Job `index` once its connection closed; empty when none came in time.
    QByteArray waitForJob(int index, int ms = 20000) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            {
                const std::lock_guard lock(mutex_);
                if (index < static_cast<int>(jobs_.size())) {
                    return jobs_[static_cast<size_t>(index)];
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    // When the last byte of job `index` (which has come) arrived.
    std::chrono::steady_clock::time_point lastByteAt(int index) const {
        const std::lock_guard lock(mutex_);
        return lastBytes_.at(static_cast<size_t>(index));
    }

  private:
    void serve() {
        while (!stop_) {
            pollfd wanted{socket_, POLLIN, 0};
            if (::poll(&wanted, 1, 50) <= 0) {
                continue;
            }
            const int client = ::accept(socket_, nullptr, nullptr);
            if (client < 0) {
                continue;
            }
            QByteArray job;
            char buffer[65536];
            const size_t chunk = pace_.chunk > 0 ? size_t(pace_.chunk) : sizeof buffer;
            for (;;) {
                if (pace_.stopAfter >= 0 && job.size() >= pace_.stopAfter) {
                    while (!stop_) {  // a printer that hangs: holds the connection, reads nothing
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    }
                    break;
                }
                const ssize_t got = ::recv(client, buffer, chunk, 0);
                if (got <= 0) {
                    break;
                }
                job.append(buffer, got);
                std::this_thread::sleep_for(std::chrono::milliseconds(pace_.pauseMs));
            }
            const auto lastByte = std::chrono::steady_clock::now();
            ::close(client);
            // The print system's status probes connect and send nothing.
            if (!job.isEmpty()) {
                const std::lock_guard lock(mutex_);
                jobs_.push_back(job);
                lastBytes_.push_back(lastByte);
            }
        }
    }

    Pace pace_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<QByteArray> jobs_;
    std::vector<std::chrono::steady_clock::time_point> lastBytes_;
    std::thread thread_;
};

// A print queue of its own (lpadmin: root or the lpadmin group), removed with the object.
class PrivateQueue {
  public:
    PrivateQueue(const QString& name, const QStringList& lpadminArgs) : name_(name) {
        added_ = QProcess::execute(QStringLiteral("lpadmin"),
                                   QStringList{QStringLiteral("-p"), name, QStringLiteral("-E")} +
                                       lpadminArgs) == 0;
    }
    ~PrivateQueue() { QProcess::execute(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name_}); }
    PrivateQueue(const PrivateQueue&) = delete;
    PrivateQueue& operator=(const PrivateQueue&) = delete;
    bool added() const { return added_; }
    const QString& name() const { return name_; }

  private:
    QString name_;
    bool added_ = false;
};

}  // namespace tillora::test
