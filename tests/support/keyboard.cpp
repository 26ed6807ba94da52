#include "tests/support/keyboard.h"

#include "forms/component.h"
#include "forms/form_window.h"

#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

namespace tillora::test {

bool Keyboard::activate(FormWindow* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 2000);
}

QWidget* Keyboard::target() const {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        return popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
    }
    return window_->focusWidget() != nullptr ? window_->focusWidget() : window_;
}

void Keyboard::press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(target(), key, modifiers);
}

void Keyboard::type(const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClicks(target(), QString(ch));
        } else {
            // No key of its own on the keyboard: a key event carrying the character, as an input
            // method delivers it.
            QTest::sendKeyEvent(QTest::Click, target(), Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
        }
    }
}

Component* Keyboard::focused() const {
    return window_->focusedComponent();
}

QString Keyboard::focusedName() const {
    const Component* c = focused();
    return c != nullptr ? c->name() : QStringLiteral("<none>");
}

QStringList Keyboard::tabRound(int limit) {
    QStringList met{focusedName()};
    for (int i = 0; i < limit; ++i) {
        press(Qt::Key_Tab);
        const QString now = focusedName();
        if (now == met.front()) {
            return met;
        }
        met << now;
    }
    met << QStringLiteral("<no way back>");
    return met;
}

void Keyboard::keepScreenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("TILLORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
}

namespace {

bool hasCheckedSibling(const QRadioButton* radio) {
    for (const QObject* o : radio->parent()->children()) {
        const auto* other = qobject_cast<const QRadioButton*>(o);
        if (other != nullptr && other != radio && other->autoExclusive() && other->isChecked()) {
            return true;
        }
    }
    return false;
}

}  // namespace

QStringList Keyboard::templateTabOrder(const FormWindow* window) {
    struct Stop {
        int order;
        qsizetype record;
        QString name;
    };
    std::vector<Stop> stops;
    const WindowTemplate& tpl = window->windowTemplate();
    const QRect client = window->clientArea()->rect();
    for (qsizetype i = 1; i < tpl.components.size(); ++i) {
        const ComponentRecord& record = tpl.components.at(i);
        const Component* c = window->component(record.name);
        const QWidget* w = c != nullptr ? c->widget() : nullptr;
        // The order is the template's; the tab-stop flag as the window logic left it.
        if (w == nullptr || !c->propertyByNumber(Component::TabStop).toBool() ||
            !w->isVisibleTo(window) || !w->isEnabledTo(window)) {
            continue;
        }
        // Of a group of radio buttons only the chosen one is a stop; arrows move within the group.
        if (const auto* radio = qobject_cast<const QRadioButton*>(w);
            radio != nullptr && radio->autoExclusive() && !radio->isChecked() &&
            hasCheckedSibling(radio)) {
            continue;
        }
        const QRect onClient(w->mapTo(window->clientArea(), QPoint(0, 0)), w->size());
        if (!onClient.intersects(client)) {
            continue;
        }
        stops.push_back({record.tabOrder, i, record.name});
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.order < b.order; });
    QStringList names;
    for (const Stop& s : stops) {
        names << s.name;
    }
    return names;
}

}  // namespace tillora::test
