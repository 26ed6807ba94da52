#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace tillora {

// Lets through, for the duration of one serving, only what may not run a handler of another
// window.
class OwnEventsOnly : public QObject {
  public:
    explicit OwnEventsOnly(QWidget* own) : own_(own) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~OwnEventsOnly() override { QCoreApplication::instance()->removeEventFilter(this); }
    OwnEventsOnly(const OwnEventsOnly&) = delete;
    OwnEventsOnly& operator=(const OwnEventsOnly&) = delete;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        const bool dropped = event->isInputEvent() || event->type() == QEvent::Timer ||
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
};

}  // namespace tillora
