#pragma once

#include "data/database_wait.h"

#include <memory>

class QDialog;

namespace tillora {

// Keeps the windows painting while a statement waits (a clock keeps running, nothing a cashier
// types is served), shows a busy cursor after a moment and, when a server doesn't answer, a
// window whose 取消 abandons the statement. Installed for as long as it lives.
class DatabaseWaitIndicator : public DatabaseWaitObserver {
  public:
    static constexpr int kBusyCursorMs = 1000;
    static constexpr int kNoAnswerMs = 5000;

    // noAnswerMs: when the window with 取消 comes up (shorter in tests).
    explicit DatabaseWaitIndicator(int noAnswerMs = kNoAnswerMs);
    ~DatabaseWaitIndicator() override;
    DatabaseWaitIndicator(const DatabaseWaitIndicator&) = delete;
    DatabaseWaitIndicator& operator=(const DatabaseWaitIndicator&) = delete;

    void begin(DatabaseWaitKind kind) override;
    bool progress(DatabaseWaitKind kind, int elapsedMs) override;
    void end(DatabaseWaitKind kind) override;

    // The window saying the server doesn't answer, while it is shown.
    QDialog* noAnswerWindow() const { return window_.get(); }

  private:
    void showNoAnswerWindow();

    DatabaseWaitObserver* previous_;
    int noAnswerMs_;
    bool busyCursor_ = false;
    bool cancelled_ = false;
    std::unique_ptr<QDialog> window_;
};

}  // namespace tillora
