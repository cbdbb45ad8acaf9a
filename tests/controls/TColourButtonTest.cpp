#include "TColourButton.hpp"
#include "FakeDialogs.hpp"
#include "TColourPalette.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using quorvane::Colour;
using quorvane::testing::FakeDialogs;

namespace {

// The palette's swatches as the operator sees them, row by row.
constexpr Colour kSwatches[5][8] = {
    {0x000000, 0x003399, 0x003333, 0x003300, 0x663300, 0x800000, 0x353333, 0x333333},
    {0x000080, 0x0066FF, 0x008080, 0x008000, 0x808000, 0xFF0000, 0x996666, 0x808080},
    {0x0000FF, 0x0099FF, 0x00CC99, 0x669933, 0xCCCC33, 0xFF6633, 0x800080, 0x999999},
    {0xFF00FF, 0x00CCFF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFFCC00, 0x663399, 0xC0C0C0},
    {0xCC99FF, 0x99CCFF, 0x99FFFF, 0xCCFFCC, 0xFFFFCC, 0xFFCC99, 0xFF99CC, 0xFFFFFF},
};

struct ColourButtonTest : ::testing::Test {
    FakeDialogs dialogs;
    TColourButton button{QStringLiteral("Running"), dialogs};
    std::vector<std::string> events;

    void SetUp() override {
        button.SetColour(0x008000);
        QObject::connect(&button, &TColourButton::DroppedDown,
                         [this] { events.push_back("open"); });
        QObject::connect(&button, &TColourButton::ClosedUp, [this] { events.push_back("close"); });
        QObject::connect(&button, &TColourButton::Chosen,
                         [this](Colour c) { events.push_back("chosen " + std::to_string(c)); });
        button.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    }

    // Opens the palette with a click on the button and returns the entry at a grid cell.
    QAbstractButton* OpenAt(int row, int column) {
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_TRUE(button.Palette()->isVisible());
        auto* grid = static_cast<QGridLayout*>(button.Palette()->layout());
        QLayoutItem* item = grid->itemAtPosition(row, column);
        return item ? qobject_cast<QAbstractButton*>(item->widget()) : nullptr;
    }
    void Pick(int row, int column) {
        QAbstractButton* entry = OpenAt(row, column);
        ASSERT_NE(entry, nullptr);
        QTest::mouseClick(entry, Qt::LeftButton);
    }
    static std::string Chosen(Colour c) { return "chosen " + std::to_string(c); }
};

} // namespace

TEST_F(ColourButtonTest, EverySwatchSitsInItsRowAndColumnAndIsChosenWithItsColour) {
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 8; ++column) {
            events.clear();
            Pick(1 + row, column);
            const Colour expected = kSwatches[row][column];
            EXPECT_EQ(events, (std::vector<std::string>{"open", "close", Chosen(expected)}))
                << "row " << row + 1 << " column " << column + 1;
            EXPECT_EQ(button.Colour(), expected);
            EXPECT_FALSE(button.Palette()->isVisible());
        }
    }
}

TEST_F(ColourButtonTest, AutomaticAndMoreColoursSpanTheFullWidth) {
    QAbstractButton* automatic = OpenAt(0, 0);
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(automatic->text(), QStringLiteral("Automatic"));
    auto* grid = static_cast<QGridLayout*>(button.Palette()->layout());
    EXPECT_EQ(grid->itemAtPosition(0, 7)->widget(), automatic);
    QAbstractButton* more = qobject_cast<QAbstractButton*>(grid->itemAtPosition(6, 0)->widget());
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->text(), QStringLiteral("More Colors..."));
    EXPECT_EQ(grid->itemAtPosition(6, 7)->widget(), more);

    events.clear();
    QTest::mouseClick(automatic, Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"close", Chosen(0x000000)}));
}

TEST_F(ColourButtonTest, MoreColoursRaisesTheEventConfirmedOrCancelled) {
    struct {
        const char* name;
        QColor answer;
        Colour after;
    } cases[] = {
        {"cancelled keeps the old colour", QColor(), 0x008000},
        {"confirmed takes the dialog's colour", QColor(0x12, 0x34, 0x56), 0x563412},
    };
    for (const auto& c : cases) {
        button.SetColour(0x008000);
        dialogs.colourAnswers = {c.answer};
        dialogs.colourRequests.clear();
        bool paletteOpenDuringDialog = true;
        std::vector<std::string> eventsBeforeDialog;
        dialogs.whileOpen = [&] {
            paletteOpenDuringDialog = button.Palette()->isVisible();
            eventsBeforeDialog = events;
        };
        events.clear();
        Pick(6, 0);
        EXPECT_EQ(eventsBeforeDialog, std::vector<std::string>{"open"})
            << c.name << ": the dialog runs while the palette counts as open";
        EXPECT_FALSE(paletteOpenDuringDialog) << c.name;
        ASSERT_EQ(dialogs.colourRequests.size(), 1u) << c.name;
        EXPECT_EQ(dialogs.colourRequests[0], QColor(0x00, 0x80, 0x00)) << c.name;
        EXPECT_EQ(events, (std::vector<std::string>{"open", "close", Chosen(c.after)})) << c.name;
        EXPECT_EQ(button.Colour(), c.after) << c.name;
    }
}

TEST_F(ColourButtonTest, ClosingWithoutAChoiceAndSettingFromCodeChooseNothing) {
    OpenAt(0, 0);
    QTest::keyClick(button.Palette(), Qt::Key_Escape);
    EXPECT_FALSE(button.Palette()->isVisible());
    button.SetColour(0x0000FF);
    EXPECT_EQ(events, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(button.Colour(), 0x0000FFu);
}
