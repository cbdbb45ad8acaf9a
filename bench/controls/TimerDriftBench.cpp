// Lateness of 200 events at 50 ms with a handler that busy-works 3 ms: our fixed-schedule timer
// against a timer restarted after each handler (the period then grows by the handler's run time).
#include "TThreadedTimer.hpp"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;
constexpr int kEvents = 200;
constexpr int kInterval = 50;

static void BusyWork() {
    const auto until = Clock::now() + std::chrono::milliseconds(3);
    while (Clock::now() < until) {
    }
}

struct Figures {
    double mean, max, drift;
};

static Figures Measure(const std::vector<Clock::time_point>& fired, Clock::time_point start) {
    double sum = 0, max = 0, last = 0;
    for (int n = 0; n < static_cast<int>(fired.size()); ++n) {
        const auto due = start + std::chrono::milliseconds(kInterval * (n + 1));
        const double late = std::chrono::duration<double, std::milli>(fired[n] - due).count();
        sum += late;
        max = std::max(max, late);
        last = late;
    }
    return {sum / static_cast<double>(fired.size()), max, last};
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<Clock::time_point> fired;

    TThreadedTimer timer;
    timer.SetInterval(kInterval);
    timer.OnTimer = [&] {
        fired.push_back(Clock::now());
        BusyWork();
        if (fired.size() == kEvents) {
            timer.SetEnabled(false);
            app.quit();
        }
    };
    auto start = Clock::now();
    timer.SetEnabled(true);
    app.exec();
    const Figures ours = Measure(fired, start);

    fired.clear();
    QTimer baseline;
    baseline.setSingleShot(true);
    baseline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&baseline, &QTimer::timeout, [&] {
        fired.push_back(Clock::now());
        BusyWork();
        if (fired.size() == kEvents)
            app.quit();
        else
            baseline.start(kInterval); // the period starts only after the handler ran
    });
    start = Clock::now();
    baseline.start(kInterval);
    app.exec();
    const Figures base = Measure(fired, start);

    std::printf("fixed schedule:  mean lateness %.2f ms, max %.2f ms, drift of event 200 %.2f ms\n",
                ours.mean, ours.max, ours.drift);
    std::printf("restart-after:   mean lateness %.2f ms, max %.2f ms, drift of event 200 %.2f ms\n",
                base.mean, base.max, base.drift);
    std::printf("drift ratio (restart-after / fixed): %.0f\n",
                base.drift / std::max(ours.drift, 0.01));
    return 0;
}
