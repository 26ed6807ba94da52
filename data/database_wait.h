#pragma once

#include <QElapsedTimer>

namespace tillora {

enum class DatabaseWaitKind { File, Server };

// Told about statements that don't end at once: a file waiting for another program's lock, a
// server slow to answer. The program installs one at start so that its windows keep painting
// meanwhile; without one a wait is simply bounded.
class DatabaseWaitObserver {
  public:
    virtual ~DatabaseWaitObserver() = default;
    // The first slice of a wait that didn't end at once.
    virtual void begin(DatabaseWaitKind kind) = 0;
    // Each further slice; false asks to abandon the statement (a file wait ends at its bound).
    virtual bool progress(DatabaseWaitKind kind, int elapsedMs) = 0;
    virtual void end(DatabaseWaitKind kind) = 0;
};

// Installs `observer` (nullptr removes it); returns the previous one.
DatabaseWaitObserver* setDatabaseWaitObserver(DatabaseWaitObserver* observer);

// True while the observer is being told: a statement begun then (by a handler it ran) is refused,
// so that no connection is entered twice.
bool databaseWaitReentered();

// One statement's wait; tells the observer lazily, so a statement that ends at once costs nothing.
class DatabaseWait {
  public:
    explicit DatabaseWait(DatabaseWaitKind kind);
    ~DatabaseWait();
    DatabaseWait(const DatabaseWait&) = delete;
    DatabaseWait& operator=(const DatabaseWait&) = delete;

    // One more slice went by; false when the observer asks to abandon the statement.
    bool progress();
    int elapsedMs() const { return static_cast<int>(timer_.elapsed()); }

  private:
    DatabaseWaitKind kind_;
    QElapsedTimer timer_;
    DatabaseWaitObserver* told_ = nullptr;  // the observer that heard begin
};

// Makes the waits of the statements made while it lives one wait to the observer: one begin,
// one end, the time counted from its start. A sale's statements, its commit, making the
// connection again and reading the sale back are one wait to the cashier, and one 取消 ends
// them all. Spans inside a span add nothing.
class DatabaseWaitSpan {
  public:
    DatabaseWaitSpan();
    ~DatabaseWaitSpan();
    DatabaseWaitSpan(const DatabaseWaitSpan&) = delete;
    DatabaseWaitSpan& operator=(const DatabaseWaitSpan&) = delete;

    // True once the observer asked to abandon a wait of the span: its later waits end at once.
    static bool cancelled();
};

}  // namespace tillora
