#include "TSpinEditor.hpp"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(TSpinEditor, ValueIsReadFromTheTextAsItStands) {
    // A minimum above zero tells "empty" (0) from "no number" (the minimum).
    TSpinEditor editor(24, 999, 2, 3);
    struct {
        const char* name;
        const char* text;
        int value;
    } cases[] = {
        {"empty text reads as zero", "", 0},
        {"a number reads as itself", "36", 36},
        {"a leading plus is a number", "+40", 40},
        {"a number below the range is taken as it is", "5", 5},
        {"letters read as the minimum", "abc", 24},
        {"a number with trailing letters reads as the minimum", "12x", 24},
        {"a lone minus reads as the minimum", "-", 24},
        {"a blank reads as the minimum", " ", 24},
    };
    for (const auto& c : cases) {
        editor.SetText(QLatin1String(c.text));
        EXPECT_EQ(editor.Value(), c.value) << c.name;
        EXPECT_EQ(editor.Text(), QLatin1String(c.text)) << c.name << ": the text is kept";
    }
}

TEST(TSpinEditor, ProgramValuesAndStepsAreClamped) {
    TSpinEditor editor(24, 999, 2, 3);
    struct {
        const char* name;
        int value;
        const char* text;
    } cases[] = {
        {"below the range", 5, "24"},
        {"above the range", 5000, "999"},
        {"inside the range", 500, "500"},
    };
    for (const auto& c : cases) {
        editor.SetValue(c.value);
        EXPECT_EQ(editor.Text(), QLatin1String(c.text)) << c.name;
    }
    editor.SetValue(998);
    editor.stepBy(1);
    EXPECT_EQ(editor.Text(), QStringLiteral("999")) << "a step stops at the maximum";
    editor.SetText(QStringLiteral("abc"));
    editor.stepBy(-1);
    EXPECT_EQ(editor.Text(), QStringLiteral("24")) << "no number steps from the minimum";
}

TEST(TSpinEditor, KeysStepAndPageAndTypingIsLimitedToItsDigits) {
    TSpinEditor interval(50, 5000, 50, 4);
    interval.SetValue(1000);
    interval.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&interval));
    interval.setFocus();
    QTest::keyClick(&interval, Qt::Key_Up);
    EXPECT_EQ(interval.Text(), QStringLiteral("1050"));
    QTest::keyClick(&interval, Qt::Key_PageUp);
    EXPECT_EQ(interval.Text(), QStringLiteral("1550")) << "a page is ten steps";
    interval.selectAll();
    QTest::keyClicks(&interval, QStringLiteral("123456"));
    EXPECT_EQ(interval.Text(), QStringLiteral("1234"));
}

TEST(TSpinEditor, TextChangedOnEveryChangeOfTheTextWhoeverMadeIt) {
    TSpinEditor editor(0, 59, 1, 2);
    QSignalSpy changed(&editor, &TSpinEditor::TextChanged);
    editor.SetValue(7);
    editor.SetValue(7);
    editor.SetText(QStringLiteral("x"));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.selectAll();
    QTest::keyClick(&editor, Qt::Key_4);
    ASSERT_EQ(changed.count(), 3) << "the same value again changes nothing";
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("7"));
    EXPECT_EQ(changed.at(2).at(0).toString(), QStringLiteral("4"));
}

TEST(TSpinEditor, LeavingItShowsTextThatHoldsNoNumberAsTheValueItReadsAs) {
    QWidget window;
    auto* editor = new TSpinEditor(24, 999, 2, 3, &window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    struct {
        const char* name;
        const char* typed;
        const char* shown;
    } cases[] = {
        {"letters show the minimum", "ab", "24"},
        {"an emptied editor shows zero", "", "0"},
        {"a lone sign shows the minimum", "-", "24"},
        {"a number stays as typed, also outside the range", "5", "5"},
        {"a number with a plus stays as typed", "+40", "+40"},
    };
    for (const auto& c : cases) {
        editor->setFocus();
        editor->SetText(QLatin1String(c.typed));
        QSignalSpy changed(editor, &TSpinEditor::TextChanged);
        other->setFocus();
        EXPECT_EQ(editor->Text(), QLatin1String(c.shown)) << c.name;
        EXPECT_EQ(changed.count(), std::string(c.typed) == c.shown ? 0 : 1)
            << c.name << ": the shown value is a change of the text";
    }
}
