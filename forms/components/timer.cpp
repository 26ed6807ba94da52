#include "forms/components/timer.h"

#include <QTimer>

namespace tillora {

QWidget* Timer::makeWidget(QWidget* /*parent*/) {
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { raise(event::kTimerTick); });
    return nullptr;
}

// Ticks start once the window exists, so none is lost while building.
void Timer::windowComplete() {
    setInterval(block_.interval);
}

void Timer::setInterval(int milliseconds) {
    block_.interval = milliseconds;
    if (timer_ == nullptr) {
        return;
    }
    if (milliseconds > 0) {
        timer_->start(milliseconds);
    } else {
        timer_->stop();
    }
}

QVariant Timer::ownProperty(int index) const {
    return index == 0 ? QVariant(block_.interval) : QVariant();
}

bool Timer::setOwnProperty(int index, const QVariant& value) {
    if (index != 0) {
        return false;
    }
    setInterval(value.toInt());
    return true;
}

}  // namespace tillora
