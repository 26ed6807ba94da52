#include "forms/components/timer.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace tillora {

namespace {

std::vector<Timer*>& liveTimers() {
    static std::vector<Timer*> timers;
    return timers;
}

}  // namespace

Timer::~Timer() {
    std::erase(liveTimers(), this);
}

void Timer::tickOverdue() {
    // A copy: a tick's handler may close a window and its timers with it.
    const std::vector<QPointer<Timer>> timers(liveTimers().begin(), liveTimers().end());
    for (const QPointer<Timer>& t : timers) {
        if (t && t->timer_ != nullptr && t->timer_->isActive() && t->timer_->remainingTime() == 0) {
            t->timer_->start();
            t->raise(event::kTimerTick);
        }
    }
}

QWidget* Timer::makeWidget(QWidget* /*parent*/) {
    timer_ = new QTimer(this);
    liveTimers().push_back(this);
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
