#include "TFontSelector.hpp"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

// Installed families as the font database names them on a typical desktop: the families that
// two foundries supply come once per foundry, with the foundry in brackets.
const QStringList kInstalled = {QStringLiteral("Nimbus Sans [urw]"),
                                QStringLiteral("DejaVu Sans"),
                                QStringLiteral("Nimbus Sans [UKWN]"),
                                QStringLiteral("Liberation Mono"),
                                QStringLiteral("Nimbus Mono PS [urw]"),
                                QStringLiteral("Nimbus Mono PS [UKWN]"),
                                QStringLiteral("cantarell"),
                                QStringLiteral("C059 [urw]"),
                                QStringLiteral("Z003"),
                                QStringLiteral("DejaVu Sans Mono"),
                                QStringLiteral("Cantarell")};

} // namespace

TEST(TFontSelector, EntriesNameEachFamilyOnceWithoutItsFoundrySorted) {
    struct {
        const char* name;
        QStringList installed;
        QStringList entries;
    } cases[] = {
        {"a desktop's families with foundry duplicates",
         kInstalled,
         {QStringLiteral("C059"), QStringLiteral("Cantarell"), QStringLiteral("cantarell"),
          QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Mono"),
          QStringLiteral("Liberation Mono"), QStringLiteral("Nimbus Mono PS"),
          QStringLiteral("Nimbus Sans"), QStringLiteral("Z003")}},
        {"a family from one foundry loses its tag as well",
         {QStringLiteral("Arial [Monotype]")},
         {QStringLiteral("Arial")}},
        {"brackets inside a name are part of it",
         {QStringLiteral("Font [Beta] Sans"), QStringLiteral("Font [Beta] Sans [xyz]")},
         {QStringLiteral("Font [Beta] Sans")}},
        {"no fonts at all", {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFontSelector::Entries(c.installed), c.entries) << c.name;
}

TEST(TFontSelector, WithNoFontsInstalledTheStoredNameIsStillSelectedAndReported) {
    TFontSelector selector(QStringList{}, nullptr);
    QSignalSpy changed(&selector, &TFontSelector::FontNameChanged);
    selector.SetFontName(QStringLiteral("Arial"));
    EXPECT_EQ(selector.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(changed.count(), 1);
}

TEST(TFontSelector, ListsTheEntriesAndSelectsAnInstalledNameInPlace) {
    TFontSelector selector(kInstalled, nullptr);
    EXPECT_EQ(Items(selector), TFontSelector::Entries(kInstalled));
    EXPECT_EQ(selector.currentIndex(), -1) << "nothing selected until loaded";
    selector.SetFontName(QStringLiteral("Nimbus Sans"));
    EXPECT_EQ(selector.FontName(), QStringLiteral("Nimbus Sans"));
    EXPECT_EQ(Items(selector), TFontSelector::Entries(kInstalled)) << "nothing added";
}

TEST(TFontSelector, AStoredNameNotInstalledStandsAtTheTopAsStored) {
    TFontSelector selector(kInstalled, nullptr);
    const int installed = selector.count();
    QSignalSpy changed(&selector, &TFontSelector::FontNameChanged);
    selector.SetFontName(QStringLiteral("Arial"));
    EXPECT_EQ(selector.FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(selector.currentIndex(), 0);
    EXPECT_EQ(selector.count(), installed + 1);
    selector.SetFontName(QStringLiteral("Arial"));
    EXPECT_EQ(selector.count(), installed + 1) << "added once";
    ASSERT_EQ(changed.count(), 1) << "the program's change raises the event, once";
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("Arial"));

    // A name saved with its foundry by an older list is shown as it was stored, too.
    selector.SetFontName(QStringLiteral("Nimbus Sans [urw]"));
    EXPECT_EQ(selector.FontName(), QStringLiteral("Nimbus Sans [urw]"));
    EXPECT_EQ(selector.itemText(0), QStringLiteral("Nimbus Sans [urw]"));
    EXPECT_EQ(selector.count(), installed + 1) << "only the name stored now stands above the list";
    selector.SetFontName(QStringLiteral("Z003"));
    EXPECT_EQ(Items(selector), TFontSelector::Entries(kInstalled));
    EXPECT_EQ(changed.count(), 3) << "removing the old name changed no selection";

    selector.SetFontName(QString());
    EXPECT_EQ(selector.currentIndex(), -1);
    EXPECT_EQ(selector.FontName(), QString());
}
