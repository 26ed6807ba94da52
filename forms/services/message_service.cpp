#include "forms/services/message_service.h"

#include "forms/services/qt_message_service.h"
#include "values/value.h"
#include "values/value_format.h"

namespace tillora {

namespace {

MessageService* installed = nullptr;

MessageService& qtService() {
    static QtMessageService service;
    return service;
}

}  // namespace

int firstButtonResult(int flags) {
    switch (flags & MessageFlags::ButtonMask) {
        case MessageFlags::AbortRetryIgnore:
            return MessageResult::Abort;
        case MessageFlags::YesNoCancel:
        case MessageFlags::YesNo:
            return MessageResult::Yes;
        case MessageFlags::RetryCancel:
            return MessageResult::Retry;
        default:
            return MessageResult::Ok;
    }
}

MessageService& messageService() {
    return installed ? *installed : qtService();
}

MessageService* setMessageService(MessageService* service) {
    MessageService* previous = installed;
    installed = service;
    return previous;
}

int showMessage(const QString& text, int flags, const QString& caption, QWidget* owner) {
    return messageService().show(text, flags,
                                 caption.isEmpty() ? QStringLiteral("信息：") : caption, owner);
}

int showMessage(const Value& value, int flags, const QString& caption, QWidget* owner) {
    const bool shown = value.kind() != Value::Kind::Empty && value.kind() != Value::Kind::Bytes;
    return showMessage(shown ? valueToText(value) : QString(), flags, caption, owner);
}

}  // namespace tillora
