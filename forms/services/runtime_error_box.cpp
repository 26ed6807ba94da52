#include "forms/services/runtime_error_box.h"

#include "forms/services/message_service.h"
#include "platform/event_log.h"

namespace tillora {

void RuntimeErrorBox::show(int code, const QString& text) {
    EventLog::write(QStringLiteral("error"), runtimeErrorText(code, text));
    messageService().show(runtimeErrorText(code, text), MessageFlags::Ok | MessageFlags::IconError,
                          QStringLiteral("错误"), nullptr);
}

void installRuntimeErrorBox() {
    static RuntimeErrorBox box;
    setRuntimeErrorSink(&box);
}

}  // namespace tillora
