#include "ScreenSnap.hpp"

#include <gtest/gtest.h>

TEST(ScreenSnap, EdgesWithinFivePixelsMoveOntoTheScreenEdge) {
    const QRect area(0, 0, 1920, 1080);
    const QSize size(280, 400);
    struct {
        const char* name;
        QPoint at;
        QPoint snapped;
    } cases[] = {
        {"five pixels from the left edge", {5, 300}, {0, 300}},
        {"six pixels from the left edge stays", {6, 300}, {6, 300}},
        {"three pixels past the left edge", {-3, 300}, {0, 300}},
        {"four pixels from the top edge", {700, 4}, {700, 0}},
        {"right edge five pixels short", {1920 - 280 - 5, 300}, {1920 - 280, 300}},
        {"bottom edge two pixels over", {700, 1080 - 400 + 2}, {700, 1080 - 400}},
        {"a corner snaps both ways", {1920 - 280 + 3, -2}, {1920 - 280, 0}},
        {"far from every edge stays", {700, 300}, {700, 300}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SnapToEdges(QRect(c.at, size), area, 5), c.snapped) << c.name;
}

TEST(ScreenSnap, AnAreaNotAtTheOriginSnapsToItsOwnEdges) {
    const QRect second(1920, 0, 1280, 1024);
    EXPECT_EQ(SnapToEdges(QRect(QPoint(1923, 500), QSize(280, 400)), second, 5), QPoint(1920, 500));
}
