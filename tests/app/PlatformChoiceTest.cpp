// The window system chosen from the environment: the user's choice holds, a Wayland session with
// XWayland runs on X11, and one without says what will not work there.
#include "PlatformChoice.hpp"

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

struct TCase {
    const char* name;
    const char* qtPlatform;
    const char* waylandDisplay;
    const char* display;
    const char* platform;
    bool notice;
};

const TCase kCases[] = {
    {"an X11 session is left to Qt", nullptr, nullptr, ":0", "", false},
    {"no display at all is left to the display check", nullptr, nullptr, nullptr, "", false},
    {"Wayland with XWayland runs on X11", nullptr, "wayland-0", ":0", "xcb", false},
    {"Wayland alone runs on Wayland and says so", nullptr, "wayland-0", nullptr, "wayland", true},
    {"an empty DISPLAY counts as no XWayland", nullptr, "wayland-0", "", "wayland", true},
    {"an empty WAYLAND_DISPLAY counts as no Wayland", nullptr, "", ":0", "", false},
    {"the user's wayland holds beside XWayland", "wayland", "wayland-0", ":0", "", false},
    {"the user's xcb holds", "xcb", "wayland-0", nullptr, "", false},
    {"the user's offscreen holds", "offscreen", nullptr, nullptr, "", false},
    {"an empty QT_QPA_PLATFORM is no choice", "", "wayland-0", ":1", "xcb", false},
};

} // namespace

TEST(PlatformChoice, FollowsTheEnvironment) {
    for (const TCase& c : kCases) {
        const TPlatformChoice choice = ChoosePlatform(c.qtPlatform, c.waylandDisplay, c.display);
        EXPECT_EQ(choice.Platform, c.platform) << c.name;
        EXPECT_EQ(!choice.Notice.empty(), c.notice) << c.name;
    }
}

TEST(PlatformChoice, TheNoticeNamesWhatWaylandCannotDo) {
    const std::string notice = ChoosePlatform(nullptr, "wayland-0", nullptr).Notice;
    for (const char* feature : {"stored positions", "staying on top", "colour key"})
        EXPECT_NE(notice.find(feature), std::string::npos) << feature;
    EXPECT_EQ(notice.find('\n'), std::string::npos) << "one line";
}
