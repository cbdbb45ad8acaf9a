#include "TFileNameEdit.hpp"
#include "FakeDialogs.hpp"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using quorvane::testing::FakeDialogs;

namespace {

struct FileNameEditTest : ::testing::Test {
    FakeDialogs dialogs;
    TFileNameEdit editor{dialogs};
    std::vector<std::string> events;

    void SetUp() override {
        QObject::connect(&editor, &TFileNameEdit::ButtonClicked,
                         [this] { events.push_back("button"); });
        QObject::connect(&editor, &TFileNameEdit::DialogClosed, [this](bool confirmed) {
            events.push_back(confirmed ? "closed confirmed" : "closed cancelled");
        });
        dialogs.whileOpen = [this] { events.push_back("dialog"); };
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
};

} // namespace

TEST_F(FileNameEditTest, F4OpensTheDialogPreparedWithTheTextLessATrailingSeparator) {
    struct {
        const char* name;
        const char* text;
        const char* prepared;
    } cases[] = {
        {"a file name as it stands", "/media/tick.wav", "/media/tick.wav"},
        {"a folder without its trailing separator", "/media/sounds/", "/media/sounds"},
        {"an empty text", "", ""},
    };
    for (const auto& c : cases) {
        editor.SetText(QLatin1String(c.text));
        dialogs.fileRequests.clear();
        events.clear();
        QTest::keyClick(editor.Editor(), Qt::Key_F4);
        ASSERT_EQ(dialogs.fileRequests.size(), 1u) << c.name;
        EXPECT_EQ(dialogs.fileRequests[0], QLatin1String(c.prepared)) << c.name;
        EXPECT_EQ(events, (std::vector<std::string>{"button", "dialog", "closed cancelled"}))
            << c.name;
        EXPECT_EQ(editor.Text(), QLatin1String(c.text)) << c.name << ": cancelling keeps the text";
    }
}

TEST_F(FileNameEditTest, OnlyTheReleaseOfF4OpensTheDialog) {
    QTest::keyPress(editor.Editor(), Qt::Key_F4);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    QTest::keyRelease(editor.Editor(), Qt::Key_F4);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
}

TEST_F(FileNameEditTest, TheButtonOpensTheDialogAndAConfirmedChoiceReplacesTheText) {
    editor.SetText(QStringLiteral("old.wav"));
    QSignalSpy changed(&editor, &TFileNameEdit::TextChanged);
    dialogs.fileAnswers = {QStringLiteral("/media/end.wav")};
    QTest::mouseClick(editor.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"button", "dialog", "closed confirmed"}));
    EXPECT_EQ(editor.Text(), QStringLiteral("/media/end.wav"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("/media/end.wav"));
}
