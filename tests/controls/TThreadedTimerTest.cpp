#include "TThreadedTimer.hpp"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

// Runs the event loop for `ms` and returns the times (ms since start) at which the timer fired.
std::vector<qint64> Record(TThreadedTimer& timer, int ms,
                           const std::function<void()>& during = {}) {
    std::vector<qint64> at;
    QElapsedTimer clock;
    clock.start();
    timer.OnTimer = [&] { at.push_back(clock.elapsed()); };
    if (during)
        during();
    QTest::qWait(ms);
    timer.OnTimer = nullptr;
    return at;
}

} // namespace

TEST(TThreadedTimer, EnablingStartsAFullPeriodLater) {
    TThreadedTimer timer;
    timer.SetInterval(100);
    const auto at = Record(timer, 250, [&] { timer.SetEnabled(true); });
    ASSERT_GE(at.size(), 1u);
    EXPECT_GE(at[0], 95);
}

TEST(TThreadedTimer, DisabledTimerDropsItsEventAndReenablingRestartsThePeriod) {
    TThreadedTimer timer;
    timer.SetInterval(100);
    timer.SetEnabled(true);
    QTest::qWait(60);
    const auto at = Record(timer, 130, [&] {
        timer.SetEnabled(false);
        timer.SetEnabled(true);
    });
    ASSERT_EQ(at.size(), 1u);
    EXPECT_GE(at[0], 95);
}

TEST(TThreadedTimer, ChangedIntervalRestartsSameIntervalDoesNot) {
    TThreadedTimer timer;
    timer.SetInterval(100);
    timer.SetEnabled(true);
    QTest::qWait(60);
    auto at = Record(timer, 60, [&] { timer.SetInterval(100); });
    EXPECT_EQ(at.size(), 1u); // the original schedule, due 40 ms later
    at = Record(timer, 150, [&] { timer.SetInterval(120); });
    ASSERT_GE(at.size(), 1u);
    EXPECT_GE(at[0], 115);
}

TEST(TThreadedTimer, ZeroIntervalNeverFiresWithoutAllowZero) {
    TThreadedTimer timer;
    timer.SetInterval(0);
    const auto at = Record(timer, 50, [&] { timer.SetEnabled(true); });
    EXPECT_TRUE(at.empty());
}

TEST(TThreadedTimer, ExceptionFromTheHandlerIsDiscarded) {
    TThreadedTimer timer;
    timer.SetInterval(20);
    int calls = 0;
    timer.OnTimer = [&] {
        ++calls;
        throw std::runtime_error("boom");
    };
    timer.SetEnabled(true);
    QTest::qWait(110);
    EXPECT_GE(calls, 2);
}

TEST(TThreadedTimer, BlockedThreadGetsOneEventNotABurst) {
    TThreadedTimer timer;
    timer.SetInterval(20);
    timer.SetEnabled(true);
    QTest::qSleep(110); // the UI thread is blocked for several periods
    int calls = 0;
    timer.OnTimer = [&] { ++calls; };
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
}
