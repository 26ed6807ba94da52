#include "platform/clock.h"

#include <mutex>
#include <utility>

namespace tillora {

namespace {

struct ClockState {
    std::mutex mutex;
    Clock::Source source;
};

ClockState& state() {
    static ClockState s;
    return s;
}

}  // namespace

QDateTime Clock::now() {
    Source source;
    {
        // now() in a statement may be evaluated on a worker's connection.
        const std::lock_guard lock(state().mutex);
        source = state().source;
    }
    return source ? source() : QDateTime::currentDateTime();
}

void Clock::setSource(Source source) {
    exchange(std::move(source));
}

Clock::Source Clock::exchange(Source source) {
    const std::lock_guard lock(state().mutex);
    return std::exchange(state().source, std::move(source));
}

Clock::Override::Override(Source source) : previous_(exchange(std::move(source))) {}

Clock::Override::Override(const QDateTime& fixed) : Override(Source([fixed] { return fixed; })) {}

Clock::Override::~Override() {
    exchange(std::move(previous_));
}

}  // namespace tillora
