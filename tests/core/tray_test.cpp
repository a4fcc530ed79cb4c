#include <algorithm>
#include <sstream>

#include "form_fixture.h"
#include "window/tray.h"

namespace velkora::testing {
namespace {

class Tray : public FormTest {
protected:
    MemoryLabel& HideLabel() { return LabelNamed("Label14"); }
    void Icon(int message, std::optional<ScreenPoint> at = std::nullopt) {
        controls.As<PictureBox>("picSystemTray").MouseMove(message, at);
    }
    void DoubleClickIcon() {
        for (int message : {513, 514, 515, 514}) Icon(message);
    }
};

TEST_F(Tray, HideRestoreAndHideAgainShowOneIconEachTime) {
    for (int round = 0; round < 3; ++round) {
        HideLabel().UserClick();
        EXPECT_FALSE(Window().visible);
        ASSERT_EQ(platform.icons.size(), 1u);
        const auto& [name, icon] = *platform.icons.begin();
        EXPECT_EQ(name, std::make_pair(controls.As<PictureBox>("picSystemTray").WindowHandle(), std::uint32_t{1}));
        EXPECT_EQ(icon.picture, controls.As<PictureBox>("picSystemTrayIcon1").Picture());
        EXPECT_EQ(icon.tip, u"Velkora");
        DoubleClickIcon();
        EXPECT_TRUE(Window().visible);
        EXPECT_TRUE(platform.icons.empty());
    }
}

TEST_F(Tray, OtherMouseEventsOnTheIconChangeNothing) {
    HideLabel().UserClick();
    const auto calls = platform.trayCalls.size();
    for (int message : {512, 513, 514, 516, 517, 518, 519, 0}) Icon(message, ScreenPoint{5, 5});
    EXPECT_FALSE(Window().visible);
    EXPECT_EQ(platform.icons.size(), 1u);
    EXPECT_EQ(platform.trayCalls.size(), calls);
}

// The keyboard's selection restores; the selection the shell reports after a
// single click does not.
TEST_F(Tray, KeyboardSelectionRestoresAndASingleClickDoesNot) {
    struct Case { std::vector<int> events; std::uint64_t msBeforeSelect; bool restores; };
    for (const Case& c : {Case{{kIconKeySelect}, 0, true}, Case{{kIconSelect}, 0, true},
                          Case{{513, kIconLeftUp, kIconSelect}, 10, false},
                          Case{{513, kIconLeftUp, kIconSelect}, 800, true}}) {
        HideLabel().UserClick();
        for (int event : c.events) {
            if (event == kIconSelect) platform.tick += c.msBeforeSelect;
            Icon(event);
        }
        EXPECT_EQ(Window().visible, c.restores) << c.events.size() << " " << c.msBeforeSelect;
        EXPECT_EQ(platform.icons.empty(), c.restores);
        if (!c.restores) DoubleClickIcon();
    }
}

// The menu opens where the user is: from the keyboard (the request alone) at
// the icon's anchor, from a right click at the pointer. A keyboard menu closed
// without a choice hands the keyboard back to the notification area.
TEST_F(Tray, TheIconsMenuShowsTheWindowOrClosesWhereTheUserIs) {
    const ScreenPoint anchor{300, 200};
    for (bool byKeyboard : {true, false}) {
        for (int choice : {0, 1, 2}) {
            platform.trayCalls.clear();
            platform.endedWith.reset();
            HideLabel().UserClick();
            platform.menuChoice = choice;
            if (!byKeyboard) Icon(kIconRightUp, ScreenPoint{7, 9});
            Icon(kIconContextMenu, byKeyboard ? anchor : ScreenPoint{7, 9});
            EXPECT_EQ(platform.menus.back(), (std::vector<Text>{u"Göster", u"Programı Kapat"}));
            EXPECT_EQ(platform.menuPlaces.back(), byKeyboard ? std::optional(anchor) : std::nullopt);
            EXPECT_EQ(Window().visible, choice == 1);
            EXPECT_EQ(platform.icons.empty(), choice != 0);
            EXPECT_EQ(platform.endedWith.has_value(), choice == 2);
            std::vector<std::string> calls{"show"};
            if (choice != 0 || byKeyboard) calls.push_back(choice != 0 ? "remove" : "focus");
            EXPECT_EQ(platform.trayCalls, calls) << byKeyboard << choice;
        }
    }
}

// Whatever comes in whatever order (the window laid out for another DPI
// before it is first shown, a shell not ready yet, a taskbar made again),
// there is a window or an icon, never both and never neither, from the
// start state on; the icon is only ever added by hiding or by a taskbar made
// again while hidden. Steps: "made" the window made, not shown yet, "show"
// the start state shows it, "dpi" the icon's picture made again, "hide" "Beni Gizle |", "restore" a
// double-click on the icon, "taskbar" TaskbarCreated, "refuse"/"accept" the
// shell takes no icon / takes them again, "lost" the shell forgets its
// icons (neither until it says so). The end: "window" or "icon", and the
// adds the shell was asked for.
struct TrayCase {
    const char* steps;
    const char* shows;
    int adds;
};

void PrintTo(const TrayCase& c, std::ostream* os) { *os << c.steps; }

class TrayState : public Tray, public ::testing::WithParamInterface<TrayCase> {};

TEST_P(TrayState, AWindowOrAnIconNeverBoth) {
    std::istringstream steps(GetParam().steps);
    bool shown = true;  // the start state has been handled
    for (std::string step; steps >> step;) {
        if (step == "made") Window().visible = shown = false;
        else if (step == "show") Window().Show();
        else if (step == "dpi") form.IconPictureChanged();
        else if (step == "hide") HideLabel().UserClick();
        else if (step == "restore") DoubleClickIcon();
        else if (step == "taskbar") form.TaskbarCreated();
        else if (step == "refuse" || step == "accept") platform.refuseAdd = step == "refuse";
        else if (step == "lost") platform.icons.clear();
        shown = shown || step == "show" || step == "hide";
        if (shown && step != "lost") {
            EXPECT_NE(Window().visible, platform.icons.size() == 1) << "after " << step;
        }
        EXPECT_LE(platform.icons.size(), 1u);
    }
    EXPECT_EQ(Window().visible ? "window" : "icon", std::string(GetParam().shows));
    EXPECT_EQ(std::count(platform.trayCalls.begin(), platform.trayCalls.end(), "show"), GetParam().adds);
}

INSTANTIATE_TEST_SUITE_P(Tray, TrayState, ::testing::Values(
    TrayCase{"made dpi show", "window", 0},            // laid out for another DPI before it is first shown
    TrayCase{"made dpi hide", "icon", 1},              // ... and started hidden
    TrayCase{"made refuse hide accept taskbar", "icon", 2},  // started hidden before the shell was up
    TrayCase{"hide dpi", "icon", 2},                   // the icon takes the new picture
    TrayCase{"hide restore dpi", "window", 1},
    TrayCase{"taskbar", "window", 0},                  // a broadcast while shown adds nothing
    TrayCase{"refuse hide", "window", 1},              // no icon: the window stays up
    TrayCase{"refuse hide dpi", "window", 1},
    TrayCase{"refuse hide accept taskbar", "icon", 2},  // the shell came up later: the icon comes, the window goes
    TrayCase{"hide lost taskbar", "icon", 2},          // a restarted taskbar gets the icon back
    TrayCase{"hide refuse lost taskbar", "window", 2}));

TEST_F(Tray, ClosingTheWindowByAnyRoadTakesTheIconDown) {
    HideLabel().UserClick();
    ASSERT_EQ(platform.icons.size(), 1u);
    Window().Unload();
    EXPECT_TRUE(platform.icons.empty());
}

TEST_F(Tray, HiddenWindowKeepsPublishing) {
    Check(2).UserClick();
    Button(1).UserClick();
    HideLabel().UserClick();
    TimerN(5).Fire();
    EXPECT_EQ(platform.deliveries.size(), 1u);
}

TEST_F(Tray, CloseDeletesTheIconAndEndsEvenWhenNeverHiddenAndSendsNothing) {
    Check(2).UserClick();
    Button(1).UserClick();
    LabelNamed("Label71").UserClick();
    EXPECT_EQ(platform.trayCalls, std::vector<std::string>{"remove"});
    EXPECT_EQ(platform.endedWith, 0);
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Tray, BannerPressStartsAMoveAndTheLinkLaunchesExplorer) {
    controls.As<MemoryImage>("Image2").UserPress();
    EXPECT_EQ(platform.captureReleases, 1);
    EXPECT_EQ(platform.captionPresses, (std::vector<Handle>{Window().WindowHandle()}));
    LabelNamed("Label13").UserClick();
    ASSERT_EQ(platform.launches.size(), 1u);
    EXPECT_EQ(platform.launches[0].first, u"\"C:\\WINDOWS\\explorer.exe\" https://velkora.example");
    EXPECT_EQ(platform.launches[0].second, 3);
    EXPECT_TRUE(Window().visible);
}

}  // namespace
}  // namespace velkora::testing
