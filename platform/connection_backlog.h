#pragma once

#include <QString>

#include <optional>

namespace tillora {

// How many bytes the machine's open TCP connections to one printer address still hold: sent and
// not yet acknowledged, or (a printer on this machine) arrived and not yet read. A network
// printer that takes its job slowly makes this number move; one that stopped reading leaves it
// standing. The print system says neither while its backend writes to the printer.
class ConnectionBacklog {
  public:
    // Every connection whose either end is `host` (a name or a numeric address) and `port`; none
    // found, or the system doesn't say (no /proc), gives nullopt.
    static std::optional<qint64> bytes(const QString& host, int port);
};

}  // namespace tillora
