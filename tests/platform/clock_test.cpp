#include "platform/clock.h"

#include <gtest/gtest.h>

#include "platform/jet_date.h"

namespace tillora {
namespace {

// A test that stands the clock somewhere must not leave it there for the tests after it.
TEST(Clock, OverridesNestAndGiveBackTheClockBeforeThem) {
    const QDateTime first(QDate(2016, 8, 18), QTime(21, 5, 9));
    QDateTime moving(QDate(2020, 1, 1), QTime(0, 0));
    {
        const Clock::Override outer(first);
        EXPECT_EQ(Clock::now(), first);
        {
            const Clock::Override inner([&] { return moving; });
            moving = moving.addSecs(90);
            EXPECT_EQ(Clock::now(), QDateTime(QDate(2020, 1, 1), QTime(0, 1, 30)));
            // now() in statements reads the same clock, in whole seconds.
            moving = moving.addMSecs(999);
            EXPECT_DOUBLE_EQ(jetNowDay(),
                             jetDayFromDateTime(QDateTime(QDate(2020, 1, 1), QTime(0, 1, 30))));
        }
        EXPECT_EQ(Clock::now(), first);
    }
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime now = Clock::now();
    EXPECT_GE(now, before);
    EXPECT_LT(before.msecsTo(now), 5000);
}

}  // namespace
}  // namespace tillora
