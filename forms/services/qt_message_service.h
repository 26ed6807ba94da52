#pragma once

#include "forms/services/message_service.h"

namespace tillora {

// The real message box: QMessageBox, application-modal, buttons and icon from the flags.
class QtMessageService : public MessageService {
  public:
    int show(const QString& text, int flags, const QString& caption, QWidget* owner) override;
};

// Installs Qt's own Chinese translations (qtbase_zh_CN) so that standard buttons read 确定, 取消,
// 是, 否. False when the translation file is not installed; the program then shows Qt's English.
bool installChineseQtTranslations();
// Takes them out again (tests that must not leave the application translated).
void removeChineseQtTranslations();

}  // namespace tillora
