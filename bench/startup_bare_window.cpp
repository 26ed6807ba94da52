// The yardstick of the start-up benchmark: a bare Qt window from the same build.
#include <QApplication>
#include <QWidget>

#include "bench/startup_signal.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tillora::bench::FirstWindowSignal signal;
    app.installEventFilter(&signal);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(320, 240);
    window.show();
    return QApplication::exec();
}
