#pragma once

#include <QString>

class QWidget;

namespace tillora {

class Value;

// Message box flags, numbered as the Windows message box takes them.
struct MessageFlags {
    enum : int {
        Ok = 0x0,
        OkCancel = 0x1,
        AbortRetryIgnore = 0x2,
        YesNoCancel = 0x3,
        YesNo = 0x4,
        RetryCancel = 0x5,
        IconError = 0x10,
        IconQuestion = 0x20,
        IconWarning = 0x30,
        IconInformation = 0x40,
        DefaultButton2 = 0x100,
        DefaultButton3 = 0x200,
        SystemModal = 0x1000,
        TaskModal = 0x2000,

        ButtonMask = 0xF,
        IconMask = 0xF0,
        DefaultButtonMask = 0xF00,
    };
};

// The number of the button pressed, as the program's handlers compare it.
struct MessageResult {
    enum : int { Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6 };
};

// The result of the first button of a button set (OK, OK, Abort, Yes, Yes, Retry).
int firstButtonResult(int flags);

// Every message box of the program goes through one service, so that tests script the answers.
class MessageService {
  public:
    virtual ~MessageService() = default;
    // Shows `text` modally and returns the MessageResult of the button pressed.
    virtual int show(const QString& text, int flags, const QString& caption, QWidget* owner) = 0;
};

// The installed service (the Qt message box unless another was installed); never null.
MessageService& messageService();
// Installs `service` (nullptr restores the Qt message box); returns the previous one.
MessageService* setMessageService(MessageService* service);

// Shows a message through the installed service; an empty caption becomes "信息：".
int showMessage(const QString& text, int flags = 0, const QString& caption = {},
                QWidget* owner = nullptr);
// Shows a value: numbers, booleans, date-times and text by the value-to-text rule; any other
// kind (empty, byte block) shows an empty text.
int showMessage(const Value& value, int flags = 0, const QString& caption = {},
                QWidget* owner = nullptr);

}  // namespace tillora
