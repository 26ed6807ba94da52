#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

#include "forms/services/message_service.h"
#include "forms/services/qt_message_service.h"
#include "tests/support/scripted_message_service.h"
#include "values/value.h"

namespace tillora {
namespace {

using test::ScriptedMessageService;

TEST(MessageService, ScriptedAnswersAndRecordsEveryBox) {
    MessageService* before = &messageService();
    {
        ScriptedMessageService boxes;
        EXPECT_EQ(&messageService(), &boxes);
        boxes.answer(MessageResult::No);
        EXPECT_EQ(
            showMessage(QStringLiteral("删除？"), MessageFlags::YesNo | MessageFlags::IconQuestion,
                        QStringLiteral("提示")),
            MessageResult::No);
        // Script used up: the first button answers.
        EXPECT_EQ(showMessage(QStringLiteral("再删？"), MessageFlags::YesNo), MessageResult::Yes);
        ASSERT_EQ(boxes.shown().size(), 2u);
        EXPECT_EQ(boxes.shown()[0].caption, u"提示");
        EXPECT_EQ(boxes.shown()[0].flags, 0x24);
        EXPECT_EQ(boxes.shown()[1].caption, u"信息：");
        EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("删除？"), QStringLiteral("再删？")}));
        {
            ScriptedMessageService inner;
            showMessage(QStringLiteral("x"));
            EXPECT_TRUE(boxes.shown().size() == 2u && inner.shown().size() == 1u);
        }
        EXPECT_EQ(&messageService(), &boxes);
    }
    EXPECT_EQ(&messageService(), before);
}

TEST(MessageService, ValuesAreShownByTheValueTextRule) {
    ScriptedMessageService boxes;
    showMessage(Value::fromDouble(80));
    showMessage(Value::fromBool(true));
    showMessage(Value::fromDateTime(42600));
    showMessage(Value::fromText(QStringLiteral("添加失败！")));
    showMessage(Value::fromBytes(QByteArray("abc")));
    showMessage(Value());
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("80"), QStringLiteral("真"),
                                          QStringLiteral("2016年8月18日"),
                                          QStringLiteral("添加失败！"), QString(), QString()}));
}

// Runs `act` on the message box once it is up (polling, since exec() shows it first). The
// returned timer must live until the box has been answered.
std::unique_ptr<QTimer> whenBoxShows(std::function<void(QMessageBox*)> act) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, t, [t, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            t->stop();
            act(box);
        }
    });
    timer->start();
    return timer;
}

TEST(QtMessageService, RealBoxReportsTheButtonPressed) {
    const struct {
        int flags;
        QMessageBox::StandardButton press;
        int result;
    } cases[] = {
        {MessageFlags::YesNo, QMessageBox::Yes, MessageResult::Yes},
        {MessageFlags::YesNo, QMessageBox::No, MessageResult::No},
        {MessageFlags::YesNoCancel, QMessageBox::Cancel, MessageResult::Cancel},
        {MessageFlags::OkCancel, QMessageBox::Ok, MessageResult::Ok},
        {MessageFlags::AbortRetryIgnore, QMessageBox::Ignore, MessageResult::Ignore},
        {MessageFlags::AbortRetryIgnore, QMessageBox::Abort, MessageResult::Abort},
        {MessageFlags::RetryCancel, QMessageBox::Retry, MessageResult::Retry},
        {MessageFlags::Ok, QMessageBox::Ok, MessageResult::Ok},
    };
    for (const auto& c : cases) {
        QString caption;
        QString text;
        int buttonCount = 0;
        Qt::WindowModality modality = Qt::NonModal;
        const auto clicker = whenBoxShows([&](QMessageBox* box) {
            caption = box->windowTitle();
            text = box->text();
            buttonCount = int(box->buttons().size());
            modality = box->windowModality();
            box->button(c.press)->click();
        });
        QtMessageService service;
        EXPECT_EQ(service.show(QStringLiteral("第一行\r\n第二行"), c.flags, QStringLiteral("提示"),
                               nullptr),
                  c.result);
        EXPECT_EQ(caption, u"提示");
        EXPECT_EQ(text, u"第一行\n第二行");
        EXPECT_EQ(buttonCount, c.flags == MessageFlags::Ok      ? 1
                               : (c.flags == 2 || c.flags == 3) ? 3
                                                                : 2);
        EXPECT_EQ(modality, Qt::ApplicationModal);
    }
}

TEST(QtMessageService, ClosingCountsAsCancelOrOkAndIconsFollowTheFlags) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    auto clicker = whenBoxShows([&](QMessageBox* box) {
        icon = box->icon();
        box->reject();  // Esc / close box
    });
    QtMessageService service;
    EXPECT_EQ(service.show(QStringLiteral("x"), MessageFlags::OkCancel | MessageFlags::IconWarning,
                           QStringLiteral("c"), nullptr),
              MessageResult::Cancel);
    EXPECT_EQ(icon, QMessageBox::Warning);

    clicker = whenBoxShows([&](QMessageBox* box) {
        icon = box->icon();
        box->reject();
    });
    EXPECT_EQ(
        service.show(QStringLiteral("x"), MessageFlags::IconError, QStringLiteral("c"), nullptr),
        MessageResult::Ok);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtMessageService, DefaultServiceCaptionAndChineseButtons) {
    ASSERT_TRUE(installChineseQtTranslations())
        << "qtbase_zh_CN.qm missing (qt6-translations-l10n)";
    QString caption;
    QString okText;
    const auto clicker = whenBoxShows([&](QMessageBox* box) {
        caption = box->windowTitle();
        okText = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    // No service installed: the real box, with the default caption.
    EXPECT_EQ(showMessage(QStringLiteral("已保存")), MessageResult::Ok);
    removeChineseQtTranslations();
    EXPECT_EQ(caption, u"信息：");
    EXPECT_EQ(okText, u"确定");
}

}  // namespace
}  // namespace tillora
