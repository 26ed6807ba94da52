#pragma once

// Tells the start-up benchmark, on standard output, when the first window has been shown and
// painted, then ends the process at once. Shared by the program's run and the bare window so
// that both are timed to the same moment.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace tillora::bench {

class FirstWindowSignal : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!fired_ && event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            fired_ = true;
            const QString title = static_cast<QWidget*>(watched)->windowTitle();
            // After the events already queued, among them the window's first paint.
            QTimer::singleShot(0, [title] {
                std::printf("shown %s\n", title.toUtf8().constData());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

  private:
    bool fired_ = false;
};

}  // namespace tillora::bench
