#include "app/message_database_prompts.h"

#include "forms/message_service.h"

namespace tillora {

bool MessageDatabasePrompts::askYesNo(const QString& text) {
    return showMessage(text, MessageFlags::YesNo) == MessageResult::Yes;
}

void MessageDatabasePrompts::tell(const QString& text) {
    showMessage(text);
}

}  // namespace tillora
