// The display window at 1920 × 1080 on the offscreen platform: time per frame rendered into an
// image and the peak memory of each case, then how often the time label repaints during a minute
// of clock mode. Every case runs in a process of its own, so that its peak memory is its own.
//
//   DisplayRenderBench               runs every case and prints the figures
//   DisplayRenderBench --case NAME [FILE.png]   runs one case, saving its last frame if asked
#include "DisplayWorld.hpp"
#include "TDisplayLabel.hpp"
#include "TVrPercentPie.hpp"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRuns = 9;
constexpr int kFramesPerRun = 10;

struct RenderCase {
    const char* name;
    const char* what;
    int timePoints;
    bool messageAndPie;
    bool transparent;
};

const RenderCase kRenderCases[] = {
    {"time999", "time at 999 pt", 999, false, false},
    {"time999-keyed", "time at 999 pt, colour key", 999, false, true},
    {"message300", "time at 300 pt, message, pie", 300, true, false},
    {"message300-keyed", "time at 300 pt, message, pie, colour key", 300, true, true},
};

struct ClockCase {
    const char* name;
    const char* what;
    int counterMode;
    int startSecond; // of the day, when the minute starts
    int target;
};

// 1200 ticks of 50 ms: one minute. Without seconds the minute is taken across a change of the
// minute, so the text changes once.
const ClockCase kClockCases[] = {
    {"clock-seconds", "24 h clock hh:mm:ss", 5, 12 * 3600, 60},
    {"clock-minutes", "24 h clock hh:mm", 7, 12 * 3600 + 30, 1},
};

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::stol(line.substr(length + 1));
    return -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void ShowFullHd(DisplayWorld& world) {
    world.c.cbBorderless.SetChecked(true); // the outer bounds are the client area
    world.Show(0, 0, kWidth, kHeight);
    if (!QTest::qWaitForWindowExposed(&world.display))
        std::fprintf(stderr, "the display window was not exposed\n");
}

int RunRender(const RenderCase& k, const char* saveAs) {
    DisplayWorld world;
    auto& c = world.c;
    c.edTimeFontSize.SetValue(k.timePoints);
    c.edMessageFontSize.SetValue(120);
    c.edMessageMode.SetItemIndex(4); // the time alone, centred; a message below it
    c.cbShowTimePie.SetChecked(k.messageAndPie);
    c.cbTransparent.SetChecked(k.transparent);
    world.Prepare(0, 359999); // the widest count, "99:59:59"
    world.engine.Counter.Count = 270000;
    world.engine.actUpdateDisplayText.Execute();
    ShowFullHd(world);
    world.engine.SetDisplayBackColour(DisplayWorld::kBack);
    if (k.messageAndPie) {
        c.edtMessageText.SetText("Five minutes left, please wrap up");
        world.engine.actMessageSend.Execute();
    }
    QCoreApplication::processEvents();
    if (k.transparent != world.display.ColourKeyActive()) {
        std::fprintf(stderr, "%s: the colour key is not as asked\n", k.name);
        return 1;
    }
    const long setupPeak = StatusKilobytes("VmHWM:");

    QImage frame(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const auto render = [&] {
        frame.fill(Qt::transparent);
        world.display.render(&frame);
    };
    const auto firstStart = Clock::now();
    render();
    const double first =
        std::chrono::duration<double, std::milli>(Clock::now() - firstStart).count();
    for (int i = 0; i < 3; ++i)
        render();
    std::vector<double> perFrame;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        for (int i = 0; i < kFramesPerRun; ++i)
            render();
        perFrame.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() /
                           kFramesPerRun);
    }
    // The frame must hold the digits, or the figures measure nothing.
    const QColor digits(static_cast<int>(DisplayWorld::kStop & 0xFF),
                        static_cast<int>((DisplayWorld::kStop >> 8) & 0xFF),
                        static_cast<int>((DisplayWorld::kStop >> 16) & 0xFF));
    long inked = 0;
    for (int y = 0; y < kHeight; y += 4)
        for (int x = 0; x < kWidth; x += 4)
            inked += frame.pixelColor(x, y) == digits;
    if (inked == 0) {
        std::fprintf(stderr, "%s: no digits in the frame\n", k.name);
        return 1;
    }
    if (saveAs && !frame.save(QString::fromLocal8Bit(saveAs)))
        std::fprintf(stderr, "%s: cannot write %s\n", k.name, saveAs);
    std::printf("%-42s  %8.2f  %8.2f  %8.2f  %8.2f  %7ld  %7ld\n", k.what, Median(perFrame),
                *std::min_element(perFrame.begin(), perFrame.end()),
                *std::max_element(perFrame.begin(), perFrame.end()), first, setupPeak / 1024,
                StatusKilobytes("VmHWM:") / 1024);
    return 0;
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

int RunClock(const ClockCase& k) {
    DisplayWorld world;
    auto& c = world.c;
    c.edTimeFontSize.SetValue(300);
    c.cbShowTimePie.SetChecked(true); // never shown in the clock modes
    world.clock.second = k.startSecond;
    world.Prepare(k.counterMode, 0);
    ShowFullHd(world);
    world.engine.actRun.Execute();
    QCoreApplication::processEvents();

    PaintCounter time, others;
    world.display.LaTime->installEventFilter(&time);
    for (QWidget* w : std::initializer_list<QWidget*>{world.display.lblMessage,
                                                      world.display.PieChart, &world.display})
        w->installEventFilter(&others);
    const int tick = world.engine.SecondTimer->Interval();
    int textChanges = 0;
    QString shown = world.display.LaTime->text();
    const auto start = Clock::now();
    for (int n = 1; n <= 1200; ++n) {
        // The desktop's clock as it reads when the n-th tick falls due.
        world.clock.second = k.startSecond + static_cast<int>((world.timers.now + tick) / 1000);
        world.timers.Advance(tick);
        QCoreApplication::processEvents();
        if (world.display.LaTime->text() != shown) {
            shown = world.display.LaTime->text();
            ++textChanges;
        }
    }
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-24s  tick %d ms  text changes %3d  LaTime repaints %3d (target %2d)  "
                "other repaints %d  %.3f ms per tick\n",
                k.what, tick, textChanges, time.paints, k.target, others.paints, total / 1200);
    return 0;
}

int RunCase(const char* name, const char* saveAs) {
    for (const auto& k : kRenderCases)
        if (std::strcmp(k.name, name) == 0)
            return RunRender(k, saveAs);
    for (const auto& k : kClockCases)
        if (std::strcmp(k.name, name) == 0)
            return RunClock(k);
    std::fprintf(stderr, "no case named %s\n", name);
    return 2;
}

int RunChild(const char* self, const char* name) {
    const std::string command = std::string("'") + self + "' --case " + name;
    std::fflush(stdout);
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--case") == 0) {
        QApplication app(argc, argv);
        return RunCase(argv[2], argc == 4 ? argv[3] : nullptr);
    }
    int failures = 0;
    std::printf("Display window %d x %d, offscreen; per frame: median of %d runs of %d frames\n\n",
                kWidth, kHeight, kRuns, kFramesPerRun);
    std::printf("%-42s  %8s  %8s  %8s  %8s  %7s  %7s\n", "case", "median", "min", "max", "first",
                "set-up", "peak");
    std::printf("%-42s  %8s  %8s  %8s  %8s  %7s  %7s\n", "", "ms", "ms", "ms", "ms", "MiB", "MiB");
    for (const auto& k : kRenderCases)
        failures += RunChild(argv[0], k.name);
    std::printf("\nRepaints of the time label during one minute of clock mode (1200 ticks)\n\n");
    for (const auto& k : kClockCases)
        failures += RunChild(argv[0], k.name);
    return failures == 0 ? 0 : 1;
}
