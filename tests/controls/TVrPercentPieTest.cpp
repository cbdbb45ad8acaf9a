#include "TVrPercentPie.hpp"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(NearestEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double x;
        double expected;
    } cases[] = {{0.5, 0.0},   {1.5, 2.0},    {2.5, 2.0},    {3.5, 4.0},    {-0.5, 0.0},
                 {-1.5, -2.0}, {2.4999, 2.0}, {2.5001, 3.0}, {599.0, 599.0}};
    for (const auto& c : cases)
        EXPECT_EQ(NearestEven(c.x), c.expected) << c.x;
}

TEST(PieWedges, BoundariesInWholePercentsClockwiseFromTwelve) {
    const struct {
        const char* name;
        std::vector<double> values;
        int percent0, percent1;
        TPiePoint to0;
    } cases[] = {
        {"a quarter ends at 3 o'clock", {25, 75}, 25, 100, {74, 37}},
        {"half ends at 6 o'clock", {300, 300}, 50, 100, {37, 74}},
        {"three quarters end at 9 o'clock", {75, 25}, 75, 100, {0, 37}},
        {"a share is truncated, not rounded", {2, 1}, 66, 100, {6, 57}},
        {"the running sum rounds halves to even before the share", {2.5, 1.5}, 50, 100, {37, 74}},
        {"a half second rounds to nothing", {0.5, 1.5}, 0, 100, {37, 0}},
        {"less than one percent stays at 12 o'clock", {1, 599}, 0, 100, {37, 0}},
        {"a zero total gives no share", {0, 0}, 0, 0, {37, 0}},
    };
    for (const auto& c : cases) {
        const auto w = PieWedges(c.values, 75, 75);
        ASSERT_EQ(w.size(), 2u) << c.name;
        EXPECT_EQ(w[0].Percent, c.percent0) << c.name;
        EXPECT_EQ(w[1].Percent, c.percent1) << c.name;
        EXPECT_EQ(w[0].From, (TPiePoint{37, 0})) << c.name;
        EXPECT_EQ(w[0].To, c.to0) << c.name;
        EXPECT_EQ(w[1].From, c.to0) << c.name; // each wedge starts where the one before ended
    }
}

TEST(PieWedges, ZeroDrawsNothingAndAMetBoundaryIsTheWholeEllipse) {
    auto w = PieWedges({1, 599}, 75, 75);
    EXPECT_TRUE(w[0].Drawn && w[0].Whole);
    EXPECT_TRUE(w[1].Drawn && w[1].Whole);
    w = PieWedges({600, 0}, 75, 75);
    EXPECT_TRUE(w[0].Drawn && w[0].Whole);
    EXPECT_FALSE(w[1].Drawn);
    w = PieWedges({25, 75}, 75, 75);
    EXPECT_FALSE(w[0].Whole);
    EXPECT_FALSE(w[1].Whole);
}

TEST(PieWedges, HalvesOfAnOddBoxDropTheRemainder) {
    const auto w = PieWedges({1, 1}, 75, 51);
    EXPECT_EQ(w[0].From, (TPiePoint{37, 0}));
    EXPECT_EQ(w[0].To, (TPiePoint{37, 50}));
}

// A pie over a blue widget, as the display's pie lies over a label, so transparency outside the
// ellipse shows.
class PieOnBackground : public ::testing::Test {
protected:
    PieOnBackground() {
        parent.resize(75, 75);
        auto* beneath = new QWidget(&parent);
        QPalette p = beneath->palette();
        p.setColor(QPalette::Window, kBlue);
        beneath->setPalette(p);
        beneath->setAutoFillBackground(true);
        beneath->setGeometry(0, 0, 75, 75);
        pie = new TVrPercentPie(&parent);
        pie->setGeometry(0, 0, 75, 75);
        pie->SetOutlineColor(kGreen);
        pie->AddSegment(kRed, 25);
        pie->AddSegment(Qt::black, 75);
    }
    QColor At(int x, int y) { return parent.grab().toImage().pixelColor(x, y); }

    static inline const QColor kBlue{0, 0, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0};
    QWidget parent;
    TVrPercentPie* pie;
};

TEST_F(PieOnBackground, SegmentsFillTheirSectorsAndTheCornersShowThrough) {
    const QImage image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(56, 20), kRed); // 12 to 3 o'clock
    EXPECT_EQ(image.pixelColor(56, 56), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(20, 56), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(37, 0), kGreen); // the outline at the top
    EXPECT_EQ(image.pixelColor(2, 2), kBlue);   // outside the ellipse
    EXPECT_EQ(image.pixelColor(72, 72), kBlue);
    EXPECT_DOUBLE_EQ(pie->Total(), 100.0);
}

TEST_F(PieOnBackground, ZeroValuesDrawNothingNotEvenTheOutline) {
    pie->SetSegmentValue(0, 0);
    pie->SetSegmentValue(1, 0);
    const QImage image = parent.grab().toImage();
    for (const QPoint p : {QPoint(37, 37), QPoint(37, 0), QPoint(0, 37)})
        EXPECT_EQ(image.pixelColor(p), kBlue) << p.x() << "," << p.y();
}

TEST_F(PieOnBackground, LessThanOnePercentShowsTheLastSegmentWholeWithTheOutline) {
    pie->SetSegmentValue(0, 1);
    pie->SetSegmentValue(1, 599);
    EXPECT_EQ(At(37, 37), QColor(Qt::black));
    EXPECT_EQ(At(56, 20), QColor(Qt::black));
    EXPECT_EQ(At(37, 0), kGreen);
}

TEST_F(PieOnBackground, OpaquePieFillsItsCorners) {
    QPalette p = pie->palette();
    p.setColor(QPalette::Window, Qt::white);
    pie->setPalette(p);
    pie->SetTransparent(false);
    EXPECT_EQ(At(2, 2), QColor(Qt::white));
}

TEST_F(PieOnBackground, KeyColouredPixelsArePunchedThroughToTransparent) {
    // The window is translucent, as the display window is while its colour key is on.
    parent.setAttribute(Qt::WA_TranslucentBackground);
    pie->SetColourKey(QColor(Qt::black));
    QImage image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(56, 20), kRed);
    EXPECT_EQ(image.pixelColor(20, 56).alpha(), 0); // the black segment
    EXPECT_EQ(image.pixelColor(37, 0), kGreen);
    EXPECT_EQ(image.pixelColor(2, 2), kBlue); // outside the ellipse the background stays

    pie->SetOutlineColor(kBlue);
    pie->SetColourKey(kBlue);
    image = parent.grab().toImage();
    EXPECT_EQ(image.pixelColor(37, 0).alpha(), 0); // a keyed outline goes too
    EXPECT_EQ(image.pixelColor(20, 56), QColor(Qt::black));
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(PieOnBackground, SettingWhatItAlreadyHasRepaintsNothing) {
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::qWait(20);
    PaintCounter counter;
    pie->installEventFilter(&counter);
    for (int i = 0; i < 10; ++i) {
        pie->SetSegmentValue(0, 25);
        pie->SetSegmentValue(1, 75);
        pie->SetSegmentColor(0, kRed);
        pie->SetSegmentColor(1, Qt::black);
        pie->SetOutlineColor(kGreen);
        pie->SetTransparent(true);
        pie->SetColourKey(std::nullopt);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);

    pie->SetSegmentValue(0, 30);
    QTRY_VERIFY(counter.paints > 0);
    EXPECT_DOUBLE_EQ(pie->Total(), 105.0);
    const int afterValue = counter.paints;
    pie->SetOutlineColor(kRed);
    QTRY_VERIFY(counter.paints > afterValue);
}

} // namespace
