#include "data/database_wait.h"

#include <QScopedValueRollback>

namespace tillora {

namespace {

DatabaseWaitObserver* observer = nullptr;
bool telling = false;

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
    if (told_ == nullptr) {
        told_ = observer;
        told_->begin(kind_);
    }
    return told_->progress(kind_, elapsedMs());
}

}  // namespace tillora
