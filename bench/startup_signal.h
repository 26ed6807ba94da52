#pragma once

// Tells the start-up benchmark, on standard output, when the first window has been shown and
// painted; then waits for a line on standard input and closes every window, as the user closing
// the program would. Shared by the program's run and the bare window so that both are timed to
// the same moments.
#include <QApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <unistd.h>
#include <cstdio>

namespace tillora::bench {

class FirstWindowSignal : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!fired_ && event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            fired_ = true;
            const QString title = static_cast<QWidget*>(watched)->windowTitle();
            // After the events already queued, among them the window's first paint.
            QTimer::singleShot(0, this, [this, title] {
                std::printf("shown %s\n", title.toUtf8().constData());
                std::fflush(stdout);
                closeOnInput_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
                connect(closeOnInput_, &QSocketNotifier::activated, this, [this] {
                    char line[64];
                    [[maybe_unused]] const ssize_t n = ::read(STDIN_FILENO, line, sizeof line);
                    closeOnInput_->setEnabled(false);
                    QApplication::closeAllWindows();
                });
            });
        }
        return false;
    }

  private:
    bool fired_ = false;
    QSocketNotifier* closeOnInput_ = nullptr;
};

}  // namespace tillora::bench
