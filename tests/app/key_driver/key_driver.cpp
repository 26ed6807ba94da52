// A cashier at the keyboard, for the package check: loaded into the installed program as a Qt
// input plugin (QT_QPA_GENERIC_PLUGINS=tillora-keys), so the program carries no hook of its own.
// It answers message boxes with Enter, logs in with the name shown and an empty password, keys in
// one line (two at 80.00), saves it with F10 and closes the sales window. What it does goes to
// stderr.
#include <QApplication>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

QString nameOf(const QWidget* w) {
    for (; w != nullptr; w = w->parentWidget()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            return w->objectName();
        }
    }
    return {};
}

void say(const QString& what) {
    std::fprintf(stderr, "key driver: %s\n", qPrintable(what));
}

class KeyDriver : public QObject {
  public:
    KeyDriver() {
        connect(&tick_, &QTimer::timeout, this, [this] { step(); });
        tick_.start(150);
    }

  private:
    void press(QWidget* to, Qt::Key key) { QTest::keyClick(to, key); }
    // A character with no key of its own comes as an input method delivers it.
    void type(QWidget* to, const QString& text) {
        for (const QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClicks(to, QString(ch));
            } else {
                QTest::sendKeyEvent(QTest::Click, to, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        }
    }

    void step() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            say(QStringLiteral("message \"%1\"").arg(box->text()));
            press(box, Qt::Key_Return);
            return;
        }
        QWidget* focus = QApplication::focusWidget();
        QWidget* window = focus != nullptr ? focus->window() : nullptr;
        const QString at = nameOf(focus);
        const QString where = nameOf(window) + u'/' + at;
        if (where != lastSeen_) {
            lastSeen_ = where;
            say(QStringLiteral("at ") + where);
        }
        if (focus == nullptr || window == nullptr) {
            return;
        }
        // A new window is active as soon as it shows on a desktop; here it is asked to be.
        if (QApplication::activeWindow() != window) {
            window->activateWindow();
            return;
        }
        if (at == QStringLiteral("组合框_用户名")) {
            press(focus, Qt::Key_Tab);
        } else if (at == QStringLiteral("编辑框_密码")) {
            say(QStringLiteral("logging in"));
            press(focus, Qt::Key_Return);
        } else if (at == QStringLiteral("编辑框_名称") && !keyed_) {
            keyed_ = true;
            say(QStringLiteral("keying a line"));
            type(focus, QStringLiteral("dyj-打印机"));
            press(focus, Qt::Key_Return);
        } else if (at == QStringLiteral("编辑框_单价") || at == QStringLiteral("编辑框_数量")) {
            // 80.00 each, two of them: a sale of 160.00.
            focus->setProperty("text", QString());
            type(focus,
                 at == QStringLiteral("编辑框_单价") ? QStringLiteral("80") : QStringLiteral("2"));
            press(focus, Qt::Key_Return);
        } else if (keyed_ && !saved_ &&
                   window->findChild<QWidget*>(QStringLiteral("编辑框_名称"))) {
            saved_ = true;
            say(QStringLiteral("saving with F10"));
            press(focus, Qt::Key_F10);
        } else if (saved_ && !closing_) {
            closing_ = true;
            say(QStringLiteral("closing the sales window"));
            window->close();
        }
    }

    QTimer tick_;
    QString lastSeen_;
    bool keyed_ = false;
    bool saved_ = false;
    bool closing_ = false;
};

class KeyDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "key_driver.json")
  public:
    QObject* create(const QString&, const QString&) override { return new KeyDriver; }
};

}  // namespace

#include "key_driver.moc"
