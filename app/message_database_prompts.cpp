#include "app/message_database_prompts.h"

#include "forms/services/message_service.h"

namespace tillora {

bool MessageDatabasePrompts::askYesNo(const QString& text) {
    return showMessage(text, MessageFlags::YesNo) == MessageResult::Yes;
}

void MessageDatabasePrompts::tell(const QString& text) {
    showMessage(text);
}

bool MessageDatabasePrompts::askRetry(const QString& text) {
    return showMessage(text, MessageFlags::RetryCancel | MessageFlags::IconWarning) ==
           MessageResult::Retry;
}

DatabasePrompts::Answer MessageDatabasePrompts::askYesNoCancel(const QString& text) {
    switch (showMessage(text, MessageFlags::YesNoCancel | MessageFlags::IconWarning)) {
        case MessageResult::Yes:
            return Answer::Yes;
        case MessageResult::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

}  // namespace tillora
