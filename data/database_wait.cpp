#include "data/database_wait.h"

#include <QScopedValueRollback>

namespace tillora {

namespace {

DatabaseWaitObserver* observer = nullptr;
bool telling = false;

// The span being waited in, when one lives.
struct Span {
    int depth = 0;
    QElapsedTimer timer;
    DatabaseWaitObserver* told = nullptr;
    DatabaseWaitKind kind = DatabaseWaitKind::Server;
    bool cancelled = false;
} span;

}  // namespace

DatabaseWaitObserver* setDatabaseWaitObserver(DatabaseWaitObserver* next) {
    DatabaseWaitObserver* previous = observer;
    observer = next;
    return previous;
}

bool databaseWaitReentered() {
    return telling;
}

DatabaseWait::DatabaseWait(DatabaseWaitKind kind) : kind_(kind) {
    timer_.start();
}

DatabaseWaitSpan::DatabaseWaitSpan() {
    if (span.depth++ == 0) {
        span.timer.start();
        span.told = nullptr;
        span.cancelled = false;
    }
}

DatabaseWaitSpan::~DatabaseWaitSpan() {
    if (--span.depth == 0 && span.told != nullptr && span.told == observer) {
        const QScopedValueRollback<bool> guard(telling, true);
        span.told->end(span.kind);
    }
}

bool DatabaseWaitSpan::cancelled() {
    return span.depth > 0 && span.cancelled;
}

DatabaseWait::~DatabaseWait() {
    if (told_ != nullptr && told_ == observer) {
        const QScopedValueRollback<bool> guard(telling, true);
        told_->end(kind_);
    }
}

bool DatabaseWait::progress() {
    // A wait inside the observer's own work is not told again.
    if (observer == nullptr || telling) {
        return true;
    }
    const QScopedValueRollback<bool> guard(telling, true);
    if (span.depth > 0) {
        if (span.cancelled) {
            return false;
        }
        if (span.told == nullptr) {
            span.told = observer;
            span.kind = kind_;
            span.told->begin(kind_);
        }
        span.cancelled = !span.told->progress(kind_, static_cast<int>(span.timer.elapsed()));
        return !span.cancelled;
    }
    if (told_ == nullptr) {
        told_ = observer;
        told_->begin(kind_);
    }
    return told_->progress(kind_, elapsedMs());
}

}  // namespace tillora
