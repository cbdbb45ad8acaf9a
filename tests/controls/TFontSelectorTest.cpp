#include "TFontSelector.hpp"

#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(TFontSelector, AnUninstalledNameIsAddedSelectedAndReadBackUnchanged) {
    TFontSelector selector;
    const int installed = selector.count();
    QSignalSpy changed(&selector, &TFontSelector::FontNameChanged);
    selector.SetFontName(QStringLiteral("No Such Font Family"));
    EXPECT_EQ(selector.FontName(), QStringLiteral("No Such Font Family"));
    EXPECT_EQ(selector.count(), installed + 1);
    selector.SetFontName(QStringLiteral("No Such Font Family"));
    EXPECT_EQ(selector.count(), installed + 1) << "added once";
    ASSERT_EQ(changed.count(), 1) << "the program's change raises the event, once";
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("No Such Font Family"));
    selector.SetFontName(QString());
    EXPECT_EQ(selector.currentIndex(), -1);
    EXPECT_EQ(selector.FontName(), QString());
}
