#pragma once

#include "Timer.hpp"

#include <memory>

class QObject;

// Gives the engine timers that deliver on the Qt UI thread.
class TQtTimerFactory : public quorvane::ITimerFactory {
public:
    explicit TQtTimerFactory(QObject* parent = nullptr)
        : m_parent(parent) {}
    std::unique_ptr<quorvane::ITimer> CreateTimer() override;

private:
    QObject* m_parent;
};
