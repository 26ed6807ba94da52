#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace tillora {

// Lets through, for the duration of one serving, only what may not run a handler of another
// window. Timers of other windows tick too when `timers` says so (a clock may run while a
// finished job is followed; nothing is half drawn then).
class OwnEventsOnly : public QObject {
  public:
    enum class Timers { Dropped, Served };
    explicit OwnEventsOnly(QWidget* own, Timers timers = Timers::Dropped)
        : own_(own), timers_(timers) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~OwnEventsOnly() override { QCoreApplication::instance()->removeEventFilter(this); }
    OwnEventsOnly(const OwnEventsOnly&) = delete;
    OwnEventsOnly& operator=(const OwnEventsOnly&) = delete;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        const bool dropped = event->isInputEvent() ||
                             (event->type() == QEvent::Timer && timers_ == Timers::Dropped) ||
                             event->type() == QEvent::Close ||
                             event->type() == QEvent::ShortcutOverride ||
                             event->type() == QEvent::Shortcut;
        return dropped && !isOwn(receiver);
    }

  private:
    bool isOwn(QObject* receiver) const {
        if (own_ == nullptr) {
            return false;
        }
        if (auto* window = qobject_cast<QWindow*>(receiver)) {
            return own_->windowHandle() == window;
        }
        for (QObject* o = receiver; o != nullptr; o = o->parent()) {
            if (o == own_) {
                return true;
            }
        }
        return false;
    }

    QPointer<QWidget> own_;  // the window may go while it is served (an abort closes it)
    Timers timers_;
};

}  // namespace tillora
