#pragma once

#include "Timer.hpp"

#include <memory>

// Gives the engine timers that deliver on the Qt UI thread.
class TQtTimerFactory : public quorvane::ITimerFactory {
public:
    std::unique_ptr<quorvane::ITimer> CreateTimer() override;
};
