#include "TAboutBox.hpp"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString LabelText(const TAboutBox& box, const char* name) {
    return box.findChild<QLabel*>(QLatin1String(name))->text();
}

} // namespace

TEST(TAboutBox, ShowsWhatTheVersionRecordHolds) {
    const TVersionRecord full{{{"ProductName", "Quorvane"}, {"FileVersion", "1.2.3.4"}}};
    const TVersionRecord noName{{{"FileVersion", "1.2.3.4"}}};
    struct Case {
        const char* name;
        const TVersionRecord* record;
        const char* caption;
        const char* product;
        const char* version;
    } cases[] = {
        {"a full record", &full, "About Quorvane", "Quorvane", "1.2.3.4"},
        {"no record at all", nullptr, "About Updated at run-time", "Updated at run-time",
         "Updated at run-time"},
        {"a record without the product name", &noName, "About ", "", "1.2.3.4"},
    };
    for (const Case& c : cases) {
        TAboutBox box(c.record, nullptr);
        EXPECT_EQ(box.windowTitle(), QStringLiteral("About This Program")) << c.name;
        box.show();
        EXPECT_EQ(box.windowTitle(), QLatin1String(c.caption)) << c.name;
        EXPECT_EQ(LabelText(box, "ProgramName"), QLatin1String(c.product)) << c.name;
        EXPECT_EQ(LabelText(box, "Version"), QLatin1String(c.version)) << c.name;
        EXPECT_EQ(LabelText(box, "Email"), TAboutBox::ContactAddress()) << c.name;
    }
}

TEST(TAboutBox, EscapeClosesOnReleaseAndEnterPressesClose) {
    QWidget mainWindow;
    mainWindow.setGeometry(300, 200, 400, 300);
    mainWindow.show();
    TAboutBox box(nullptr, &mainWindow);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.frameGeometry().center(), mainWindow.frameGeometry().center());

    QSignalSpy closed(&box, &QDialog::finished);
    QTest::keyPress(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible()) << "closed while Escape was still down";
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&box, &repeat);
    EXPECT_TRUE(box.isVisible()) << "closed by an auto-repeat release";
    QTest::keyRelease(QApplication::focusWidget() ? QApplication::focusWidget() : &box,
                      Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(closed.count(), 1);

    box.show();
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}
