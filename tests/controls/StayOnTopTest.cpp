#include "StayOnTop.hpp"

#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

TEST(StayOnTop, ChangesTheFlagOnlyWhenTheWantedStateDiffers) {
    QWidget window(nullptr, Qt::Tool);
    window.setGeometry(60, 70, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const WId native = window.winId();

    EXPECT_TRUE(ApplyStayOnTop(window, true));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint); // the native window
    EXPECT_FALSE(ApplyStayOnTop(window, true));

    // Done in place: the window is neither hidden nor re-created nor moved.
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.winId(), native);
    EXPECT_EQ(window.geometry(), QRect(60, 70, 300, 200));
    EXPECT_EQ(window.windowFlags() & Qt::WindowType_Mask, Qt::Tool);

    EXPECT_TRUE(ApplyStayOnTop(window, false));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(ApplyStayOnTop(window, false));
}

TEST(StayOnTop, AMaximisedWindowStaysMaximised) {
    QWidget window;
    window.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ApplyStayOnTop(window, true);
    EXPECT_TRUE(window.isMaximized());
    EXPECT_TRUE(window.isVisible());
}

TEST(StayOnTop, AWindowNotYetShownTakesTheFlagForItsCreation) {
    QWidget window;
    EXPECT_TRUE(ApplyStayOnTop(window, true));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

} // namespace
