// Minimising the control window to a real notification area and back, under Xvfb with trayer
// as the tray host; the clicks on the icon and the menu are real X input (xdotool).
#include "../ControlWindowFixture.hpp"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <algorithm>
#include <climits>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

void XClick(const QPoint& at, int button) {
    const int code = QProcess::execute(QStringLiteral("xdotool"),
                                       {QStringLiteral("mousemove"), QString::number(at.x()),
                                        QString::number(at.y()), QStringLiteral("click"),
                                        QString::number(button)});
    ASSERT_EQ(code, 0) << "xdotool";
}

void XKey(const char* key) {
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(key)}),
        0);
}

int NearestCorner(const QRect& r, const QPoint& p) {
    int nearest = INT_MAX;
    for (const QPoint& corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        nearest = std::min(nearest, (corner - p).manhattanLength());
    return nearest;
}

struct TrayRoundTrip : ControlWindowTest {
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // trayer claims the tray a moment after it starts.
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        ControlWindowTest::SetUp();
    }
};

} // namespace

TEST_F(TrayRoundTrip, MinimiseToTheTrayOpenTheMenuFromTheIconAndComeBack) {
    ShowTab("tsOptions");
    Click("cbMinimiseControlsToTray");
    ASSERT_TRUE(Controls().cbMinimiseControlsToTray.Checked());
    Click("btRun");
    window->move(120, 90);
    QTRY_COMPARE(window->pos(), QPoint(120, 90));

    window->showMinimized();
    QTRY_VERIFY(window->InTray());
    QTRY_VERIFY(!window->isVisible());
    QTRY_VERIFY(!window->windowHandle()->isExposed());
    QSystemTrayIcon* icon = window->TrayIcon();
    ASSERT_TRUE(icon->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!icon->geometry().isEmpty(), 5000);
    Ticks(3);
    EXPECT_EQ(Count(), 7) << "the count goes on in the tray";

    QMenu* menu = window->TrayPopupMenu();
    QSignalSpy shown(menu, &QMenu::aboutToShow);
    const QPoint centre = icon->geometry().center();
    struct {
        const char* name;
        int button;
    } buttons[] = {{"left", 1}, {"middle", 2}, {"right", 3}};
    for (const auto& b : buttons) {
        shown.clear();
        XClick(centre, b.button);
        QTRY_VERIFY2(menu->isVisible(), b.name);
        QTest::qWait(100);
        EXPECT_EQ(shown.count(), 1) << b.name << ": the menu opens once";
        // Near the screen's edge the menu opens up or to the left of the pointer instead.
        EXPECT_LE(NearestCorner(menu->geometry(), QCursor::pos()), 40)
            << b.name << ": at the pointer";
        EXPECT_FALSE(window->isVisible()) << b.name << ": a click never restores the window";
        XKey("Escape");
        QTRY_VERIFY2(!menu->isVisible(), b.name);
    }

    XClick(centre, 1);
    QTRY_VERIFY(menu->isVisible());
    QAction* show = Find<QAction>("MnShowControls");
    XClick(menu->mapToGlobal(menu->actionGeometry(show).center()), 1);
    QTRY_VERIFY(window->isVisible());
    QTRY_VERIFY(window->windowHandle()->isExposed());
    EXPECT_FALSE(window->InTray());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(icon->isVisible());
    QTRY_COMPARE(window->pos(), QPoint(120, 90));
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget(), Find("tsOptions"));
    EXPECT_EQ(State(), CounterState::Running);
}
