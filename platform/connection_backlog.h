#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tillora {

// How many bytes the machine's open TCP connections to one printer address still hold: sent and
// not yet acknowledged, or (a printer on this machine) arrived and not yet read. A network
// printer that takes its job slowly makes this number move; one that stopped reading leaves it
// standing. The print system says neither while its backend writes to the printer.
class ConnectionBacklog {
  public:
    // `host` (a name or a numeric address) is looked up here, once: a name server that is slow
    // or gone must not hold up every look.
    ConnectionBacklog(const QString& host, int port);
    // Over every connection whose either end is the printer's address; none found, or the system
    // doesn't say (no /proc), gives nullopt.
    std::optional<qint64> bytes() const;

  private:
    QStringList endpoints_;
};

}  // namespace tillora
