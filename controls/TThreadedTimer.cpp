#include "TThreadedTimer.hpp"

#include <QTimer>

TThreadedTimer::TThreadedTimer(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TThreadedTimer::Fire);
}

TThreadedTimer::~TThreadedTimer() {
    m_timer->stop();
}

void TThreadedTimer::SetEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        m_due = Clock::now() + std::chrono::milliseconds(m_interval);
        Arm();
    } else {
        m_timer->stop();
    }
}

void TThreadedTimer::SetInterval(int milliseconds) {
    if (milliseconds == m_interval)
        return;
    const bool was = m_enabled;
    SetEnabled(false);
    m_interval = milliseconds;
    SetEnabled(was);
}

void TThreadedTimer::Arm() {
    if (!m_enabled || (m_interval <= 0 && !AllowZero))
        return;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(m_due - Clock::now());
    m_timer->start(static_cast<int>(std::max<long long>(0, wait.count())));
}

void TThreadedTimer::Fire() {
    if (!m_enabled)
        return;
    // The next due time is the first point of the schedule still ahead of us; points that the UI
    // thread missed while it was blocked are skipped, not replayed.
    const auto period = std::chrono::milliseconds(std::max(m_interval, 0));
    const auto now = Clock::now();
    if (period.count() > 0) {
        m_due += period;
        if (m_due <= now)
            m_due += period * ((now - m_due) / period + 1);
    } else {
        m_due = now;
    }
    if (OnTimer) {
        try {
            OnTimer();
        } catch (...) {
            // A timer event has no one to report to; the next event runs normally.
        }
    }
    if (m_enabled && !m_timer->isActive())
        Arm();
}
