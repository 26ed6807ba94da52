#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

#include <string>

class QWidget;

namespace tillora {
class Component;
class FormWindow;
}  // namespace tillora

namespace tillora::test {

// Drives a window as a cashier at the keyboard: real key events go where the platform would send
// them (an open popup first, else the window's focused control).
// A list of names as one readable text, for comparisons that show what differs.
inline std::string joined(const QStringList& names) {
    return names.join(u' ').toStdString();
}

class Keyboard {
  public:
    explicit Keyboard(FormWindow* window) : window_(window) {}

    // Shows the window and makes it the active one, as when it opens on the desktop.
    static bool activate(FormWindow* window);

    QWidget* target() const;
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString& text);

    // The component whose control has the window's focus, or nullptr.
    Component* focused() const;
    QString focusedName() const;

    // Presses Tab from the focused component until the focus comes back to it; the names met,
    // starting with the one focused. Stops after `limit` presses (a chain that never closes).
    QStringList tabRound(int limit = 80);

    // Saves a grab of the window as <name>.png in the folder TILLORA_SCREENSHOT_DIR names (nothing
    // when it is not set), for a look at the window as the keyboard left it.
    static void keepScreenshot(QWidget* window, const QString& name);

    // The tab stops of the window in the order of the template's tab orders (record order among
    // equals), leaving out those that don't show, are disabled, lie outside the client area or
    // were made no tab stop by the window's logic.
    static QStringList templateTabOrder(const FormWindow* window);

  private:
    FormWindow* window_;
};

}  // namespace tillora::test
