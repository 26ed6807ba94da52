#include "forms/services/qt_message_service.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace tillora {

namespace {

struct ButtonSet {
    QMessageBox::StandardButton buttons[3];
    int count;
};

ButtonSet buttonsOf(int flags) {
    switch (flags & MessageFlags::ButtonMask) {
        case MessageFlags::OkCancel:
            return {{QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::NoButton}, 2};
        case MessageFlags::AbortRetryIgnore:
            return {{QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}, 3};
        case MessageFlags::YesNoCancel:
            return {{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, 3};
        case MessageFlags::YesNo:
            return {{QMessageBox::Yes, QMessageBox::No, QMessageBox::NoButton}, 2};
        case MessageFlags::RetryCancel:
            return {{QMessageBox::Retry, QMessageBox::Cancel, QMessageBox::NoButton}, 2};
        default:
            return {{QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::NoButton}, 1};
    }
}

QMessageBox::Icon iconOf(int flags) {
    switch (flags & MessageFlags::IconMask) {
        case MessageFlags::IconError:
            return QMessageBox::Critical;
        case MessageFlags::IconQuestion:
            return QMessageBox::Question;
        case MessageFlags::IconWarning:
            return QMessageBox::Warning;
        case MessageFlags::IconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int resultOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageResult::Ok;
        case QMessageBox::Cancel:
            return MessageResult::Cancel;
        case QMessageBox::Abort:
            return MessageResult::Abort;
        case QMessageBox::Retry:
            return MessageResult::Retry;
        case QMessageBox::Ignore:
            return MessageResult::Ignore;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        default:
            return -1;
    }
}

std::unique_ptr<QTranslator>& translator() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

}  // namespace

int QtMessageService::show(const QString& text, int flags, const QString& caption, QWidget* owner) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // Too early (or too late) for a window: a fatal error must still be seen somewhere.
        std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(),
                     text.toLocal8Bit().constData());
        return firstButtonResult(flags);
    }
    const ButtonSet set = buttonsOf(flags);
    QMessageBox::StandardButtons buttons;
    for (int i = 0; i < set.count; ++i) {
        buttons |= set.buttons[i];
    }
    // Message texts use Windows line ends; a lone "\r" would show as a box in a label.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(iconOf(flags), caption, shown, buttons, owner);
    // Task-modal on Windows: every window of the program waits for the answer.
    box.setWindowModality(Qt::ApplicationModal);
    if (flags & MessageFlags::SystemModal) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    const int defaultIndex = (flags & MessageFlags::DefaultButtonMask) >> 8;
    if (defaultIndex > 0 && defaultIndex < set.count) {
        box.setDefaultButton(set.buttons[defaultIndex]);
    } else {
        box.setDefaultButton(set.buttons[0]);
    }
    // Like Windows, closing the box counts as Cancel where there is one and as OK on an OK box;
    // boxes without either cannot be closed without choosing.
    if (buttons & QMessageBox::Cancel) {
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (set.count == 1) {
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.exec();
    int result = -1;
    if (QAbstractButton* clicked = box.clickedButton()) {
        result = resultOf(box.standardButton(clicked));
    }
    if (result < 0) {
        result =
            (buttons & QMessageBox::Cancel) ? int(MessageResult::Cancel) : firstButtonResult(flags);
    }
    return result;
}

bool installChineseQtTranslations() {
    auto& t = translator();
    if (t) {
        return true;
    }
    auto candidate = std::make_unique<QTranslator>();
    if (!candidate->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    if (!QCoreApplication::installTranslator(candidate.get())) {
        return false;
    }
    t = std::move(candidate);
    return true;
}

void removeChineseQtTranslations() {
    auto& t = translator();
    if (t) {
        QCoreApplication::removeTranslator(t.get());
        t.reset();
    }
}

}  // namespace tillora
