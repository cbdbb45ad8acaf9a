#include "TQtTimerFactory.hpp"

#include "TThreadedTimer.hpp"

namespace {

class TQtTimer : public quorvane::ITimer {
public:
    bool Enabled() const override { return m_timer.Enabled(); }
    void SetEnabled(bool enabled) override { m_timer.SetEnabled(enabled); }
    int Interval() const override { return m_timer.Interval(); }
    void SetInterval(int milliseconds) override { m_timer.SetInterval(milliseconds); }
    void SetOnTimer(std::function<void()> handler) override { m_timer.OnTimer = std::move(handler); }

private:
    TThreadedTimer m_timer;
};

} // namespace

std::unique_ptr<quorvane::ITimer> TQtTimerFactory::CreateTimer() {
    return std::make_unique<TQtTimer>();
}
