#include "platform/connection_backlog.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace tillora {

namespace {

// An address as the kernel's connection tables write it: the 32-bit words of the address in
// host order, each as eight hex digits.
QString tableForm(const void* address, int words) {
    QString out;
    for (int i = 0; i < words; ++i) {
        quint32 word = 0;
        std::memcpy(&word, static_cast<const char*>(address) + i * 4, 4);
        out += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// Every form `host` takes in the two tables, each with ":PORT" in hex.
QStringList endpoints(const QString& host, int port) {
    QStringList out;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0) {
        return out;
    }
    const QString portText = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            const QString word = tableForm(&v4->sin_addr, 1);
            out << word + portText << QStringLiteral("0000000000000000FFFF0000") + word + portText;
        } else if (a->ai_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(a->ai_addr);
            out << tableForm(&v6->sin6_addr, 4) + portText;
        }
    }
    freeaddrinfo(found);
    out.removeDuplicates();
    return out;
}

}  // namespace

ConnectionBacklog::ConnectionBacklog(const QString& host, int port)
    : endpoints_(host.isEmpty() ? QStringList() : endpoints(host, port)) {}

std::optional<qint64> ConnectionBacklog::bytes() const {
    const QStringList& wanted = endpoints_;
    if (wanted.isEmpty()) {
        return std::nullopt;
    }
    std::optional<qint64> total;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        file.readLine();  // the column titles
        while (!file.atEnd()) {
            // sl local remote state tx_queue:rx_queue ...
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() < 5) {
                continue;
            }
            const QString local = QString::fromLatin1(fields.at(1));
            const QString remote = QString::fromLatin1(fields.at(2));
            if (!wanted.contains(local) && !wanted.contains(remote)) {
                continue;
            }
            const QList<QByteArray> queues = fields.at(4).split(':');
            if (queues.size() == 2) {
                total = total.value_or(0) + queues.at(0).toLongLong(nullptr, 16) +
                        queues.at(1).toLongLong(nullptr, 16);
            }
        }
    }
    return total;
}

}  // namespace tillora
