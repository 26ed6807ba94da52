// The yardstick of the start-up benchmark: a bare Qt window from the same build, showing one
// line of Chinese text as the login window does, so both pay for finding a font.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "bench/startup_signal.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tillora::bench::FirstWindowSignal signal;
    app.installEventFilter(&signal);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(320, 240);
    QLabel label(QStringLiteral("用户名："), &window);
    label.move(40, 74);
    window.show();
    return QApplication::exec();
}
