#include "tests/support/tcp_relay.h"

#include <QUrl>
#include <QUrlQuery>

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tillora::test {

TcpRelay::TcpRelay(const QString& serverUrl, ClientFilter filter)
    : serverUrl_(serverUrl), filter_(std::move(filter)) {
    const QUrl url(serverUrl);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    const QByteArray host = url.host().isEmpty() ? "localhost" : url.host().toUtf8();
    if (::getaddrinfo(host.constData(), QByteArray::number(url.port(5432)).constData(), &hints,
                      &target_) != 0) {
        target_ = nullptr;
        return;
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&local), size) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return;
    }
    port_ = ntohs(local.sin_port);
    thread_ = std::thread([this] { serve(); });
}

TcpRelay::~TcpRelay() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int fd : sockets_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (listener_ >= 0) {
        ::close(listener_);
    }
    if (target_ != nullptr) {
        ::freeaddrinfo(target_);
    }
}

QString TcpRelay::url() const {
    QUrl url(serverUrl_);
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("sslmode"), QStringLiteral("disable"));
    url.setQuery(query);
    return url.toString();
}

void TcpRelay::closePair(std::size_t first) {
    for (std::size_t i = first; i < first + 2; ++i) {
        if (sockets_[i] >= 0) {
            ::close(sockets_[i]);
        }
        sockets_[i] = -1;
    }
}

void TcpRelay::serve() {
    char buffer[65536];
    while (!stop_) {
        if (release_.exchange(false)) {
            for (std::size_t pair = 0; pair < held_.size(); ++pair) {
                if (held_[pair] && sockets_[2 * pair + 1] >= 0) {
                    (void)!::write(sockets_[2 * pair + 1], held_[pair]->data(),
                                   held_[pair]->size());
                }
                held_[pair].reset();
            }
        }
        std::vector<pollfd> fds{{listener_, POLLIN, 0}};
        std::vector<std::size_t> at;  // the socket index of each polled entry after the first
        if (!stalled_) {
            for (std::size_t i = 0; i < sockets_.size(); ++i) {
                if (sockets_[i] >= 0) {
                    fds.push_back({sockets_[i], POLLIN, 0});
                    at.push_back(i);
                }
            }
        }
        if (::poll(fds.data(), fds.size(), 20) <= 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(listener_, nullptr, nullptr);
            const int server = ::socket(target_->ai_family, SOCK_STREAM, 0);
            if (::connect(server, target_->ai_addr, target_->ai_addrlen) == 0) {
                sockets_.insert(sockets_.end(), {client, server});
                held_.emplace_back();
            } else {
                ::close(server);
                ::close(client);
            }
        }
        for (std::size_t k = 1; k < fds.size(); ++k) {
            const std::size_t i = at[k - 1];
            if (fds[k].revents == 0 || sockets_[i] < 0) {
                continue;
            }
            const ssize_t n = ::read(sockets_[i], buffer, sizeof buffer);
            const bool fromClient = i % 2 == 0;
            if (n <= 0 && fromClient && held_[i / 2]) {
                ::close(sockets_[i]);
                sockets_[i] = -1;
                continue;
            }
            if (n <= 0) {
                closePair(i - i % 2);  // either end gone: the other follows
                continue;
            }
            if (fromClient && held_[i / 2]) {
                held_[i / 2]->append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            const Action action =
                fromClient && filter_ ? filter_(buffer, static_cast<std::size_t>(n)) : Action::Pass;
            if (action == Action::Hold) {
                held_[i / 2].emplace(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (sockets_[i ^ 1] < 0) {
                continue;
            }
            if (action != Action::Drop) {
                (void)!::write(sockets_[i ^ 1], buffer, static_cast<std::size_t>(n));
            }
            if (action != Action::Pass) {
                closePair(i - i % 2);  // the answer, if any, never reaches the client
            }
        }
    }
}

}  // namespace tillora::test
