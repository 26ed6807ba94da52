#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

#include "forms/services/message_service.h"

namespace tillora::test {

// Stands in for the message box: answers from a script and records every box shown. Installs
// itself on construction and puts the previous service back when destroyed.
class ScriptedMessageService : public MessageService {
  public:
    struct Shown {
        QString text;
        QString caption;
        int flags = 0;
        QWidget* owner = nullptr;
    };

    ScriptedMessageService();
    ~ScriptedMessageService() override;
    ScriptedMessageService(const ScriptedMessageService&) = delete;
    ScriptedMessageService& operator=(const ScriptedMessageService&) = delete;

    // Queues the answer (a MessageResult) for the next box; with the queue empty a box is answered
    // with its first button (OK, OK, Abort, Yes, Yes, Retry).
    void answer(int result) { answers_.push_back(result); }

    const std::vector<Shown>& shown() const { return shown_; }
    // Just the texts, in order.
    QStringList texts() const;
    void clear() { shown_.clear(); }

    int show(const QString& text, int flags, const QString& caption, QWidget* owner) override;

  private:
    std::deque<int> answers_;
    std::vector<Shown> shown_;
    MessageService* previous_ = nullptr;
};

}  // namespace tillora::test
