#include "tests/support/scripted_message_service.h"

namespace tillora::test {

ScriptedMessageService::ScriptedMessageService() : previous_(setMessageService(this)) {}

ScriptedMessageService::~ScriptedMessageService() {
    setMessageService(previous_);
}

QStringList ScriptedMessageService::texts() const {
    QStringList list;
    for (const Shown& s : shown_) {
        list << s.text;
    }
    return list;
}

int ScriptedMessageService::show(const QString& text, int flags, const QString& caption,
                                 QWidget* owner) {
    shown_.push_back({text, caption, flags, owner});
    if (answers_.empty()) {
        return firstButtonResult(flags);
    }
    const int result = answers_.front();
    answers_.pop_front();
    return result;
}

}  // namespace tillora::test
