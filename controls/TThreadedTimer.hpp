#pragma once

#include <QObject>
#include <chrono>
#include <functional>

class QTimer;

// A periodic timer delivering its events on the UI thread.
//
// Events keep a fixed schedule: in an uninterrupted run the n-th event falls due at the enable
// time + n × Interval, so a slow handler or a late dispatch does not push later events back. When
// the UI thread was blocked for more than a period, one event fires and the schedule resumes at
// the next due time, without a burst of catch-up events. Enabling a disabled timer restarts the
// period; disabling drops an event already on its way; an exception escaping the handler is
// discarded. UI thread only.
class TThreadedTimer : public QObject {
public:
    explicit TThreadedTimer(QObject* parent = nullptr);
    ~TThreadedTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void SetInterval(int milliseconds);
    bool AllowZero = false;
    std::function<void()> OnTimer;

private:
    using Clock = std::chrono::steady_clock;
    void Arm();
    void Fire();

    QTimer* m_timer;
    bool m_enabled = false;
    int m_interval = 1000;
    Clock::time_point m_due;
};
