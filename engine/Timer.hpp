#pragma once

#include <functional>
#include <memory>

namespace quorvane {

// A periodic timer as the engine sees it. The application gives it timers that deliver on the UI
// thread; tests give it stepped ones. Enabling a disabled timer restarts its period, enabling an
// enabled one does nothing, and a different interval restarts the period.
class ITimer {
public:
    virtual ~ITimer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual int Interval() const = 0;
    virtual void SetInterval(int milliseconds) = 0;
    virtual void SetOnTimer(std::function<void()> handler) = 0;
};

class ITimerFactory {
public:
    virtual ~ITimerFactory() = default;
    virtual std::unique_ptr<ITimer> CreateTimer() = 0;
};

} // namespace quorvane
