#include "form_fixture.h"
#include "window/tray_record.h"

namespace velkora::testing {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& r, std::size_t at) {
    return r[at] | (r[at + 1] << 8) | (r[at + 2] << 16) | (static_cast<std::uint32_t>(r[at + 3]) << 24);
}

TEST(TrayRecord, AddRecordBytes32) {
    const auto r = TrayAddRecord(4, 0x00012345, 1, 0x00ABCDEF, "Velkora");
    ASSERT_EQ(r.size(), 88u);
    EXPECT_EQ(U32(r, 0), 88u);
    EXPECT_EQ(U32(r, 4), 0x00012345u);
    EXPECT_EQ(U32(r, 8), 1u);
    EXPECT_EQ(U32(r, 12), 7u);
    EXPECT_EQ(U32(r, 16), 512u);
    EXPECT_EQ(U32(r, 20), 0x00ABCDEFu);
    EXPECT_EQ(std::string(r.begin() + 24, r.begin() + 31), "Velkora");
    EXPECT_EQ(r[31], 0);
    for (std::size_t i = 32; i < 88; ++i) EXPECT_EQ(r[i], 0x20) << i;
}

TEST(TrayRecord, DeleteRecordIsHeaderOnly32) {
    const auto r = TrayDeleteRecord(4, 0x00012345, 1);
    ASSERT_EQ(r.size(), 88u);
    EXPECT_EQ(U32(r, 0), 88u);
    EXPECT_EQ(U32(r, 4), 0x00012345u);
    EXPECT_EQ(U32(r, 8), 1u);
    for (std::size_t i = 12; i < 88; ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST(TrayRecord, SixtyFourBitRecordUsesItsOwnFirstSize) {
    const auto r = TrayAddRecord(8, 0x1122334455667788ull, 1, 0x99, std::string(80, 'a'));
    ASSERT_EQ(r.size(), 104u);
    EXPECT_EQ(U32(r, 0), 104u);
    EXPECT_EQ(U32(r, 8), 0x55667788u);
    EXPECT_EQ(U32(r, 12), 0x11223344u);
    EXPECT_EQ(U32(r, 16), 1u);
    EXPECT_EQ(U32(r, 20), 7u);
    EXPECT_EQ(U32(r, 24), 512u);
    EXPECT_EQ(U32(r, 32), 0x99u);
    EXPECT_EQ(r[40 + 62], 'a');  // a long tip keeps 63 bytes, then the NUL
    EXPECT_EQ(r[40 + 63], 0);
}

TEST(TrayRecord, VersionRecordAsksForVersionFour) {
    for (int pointer : {4, 8}) {
        const auto r = TrayVersionRecord(pointer, 0x00012345, 1);
        const std::size_t version = pointer == 8 ? 432 : 416;
        ASSERT_EQ(r.size(), pointer == 8 ? 504u : 488u);
        EXPECT_EQ(U32(r, 0), r.size());
        EXPECT_EQ(U32(r, static_cast<std::size_t>(pointer)), 0x00012345u);
        EXPECT_EQ(U32(r, 2u * static_cast<std::size_t>(pointer)), 1u);
        EXPECT_EQ(U32(r, version), 4u);
        std::size_t nonZero = 0;
        for (std::uint8_t b : r) nonZero += b != 0;
        EXPECT_EQ(nonZero, 7u) << pointer;  // size (2 bytes), window (3), id and version: nothing else
    }
}

class Tray : public FormTest {
protected:
    MemoryLabel& HideLabel() { return LabelNamed("Label14"); }
    void DoubleClickIcon() {
        for (int message : {513, 514, 515, 514}) controls.As<PictureBox>("picSystemTray").MouseMove(message);
    }
};

TEST_F(Tray, HideRestoreAndHideAgainShowOneIconEachTime) {
    for (int round = 0; round < 3; ++round) {
        HideLabel().UserClick();
        EXPECT_FALSE(Window().visible);
        ASSERT_EQ(platform.icons.size(), 1u);
        const auto& record = platform.icons.begin()->second;
        EXPECT_EQ(platform.icons.begin()->first.second, 1u);
        EXPECT_EQ(platform.icons.begin()->first.first, controls.As<PictureBox>("picSystemTray").WindowHandle());
        EXPECT_EQ(record[sizeof(void*) == 8 ? 40 : 24], 'V');
        DoubleClickIcon();
        EXPECT_TRUE(Window().visible);
        EXPECT_TRUE(platform.icons.empty());
    }
}

TEST_F(Tray, OtherMouseEventsOnTheIconChangeNothing) {
    HideLabel().UserClick();
    const auto calls = platform.notifyCalls.size();
    for (int message : {512, 513, 514, 516, 517, 518, 519, 0})
        controls.As<PictureBox>("picSystemTray").MouseMove(message);
    EXPECT_FALSE(Window().visible);
    EXPECT_EQ(platform.icons.size(), 1u);
    EXPECT_EQ(platform.notifyCalls.size(), calls);
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
            controls.As<PictureBox>("picSystemTray").MouseMove(event);
        }
        EXPECT_EQ(Window().visible, c.restores) << c.events.size() << " " << c.msBeforeSelect;
        EXPECT_EQ(platform.icons.empty(), c.restores);
        if (!c.restores) DoubleClickIcon();
    }
}

TEST_F(Tray, TheIconsMenuShowsTheWindowOrCloses) {
    for (int choice : {0, 1, 2}) {
        HideLabel().UserClick();
        platform.menuChoice = choice;
        controls.As<PictureBox>("picSystemTray").MouseMove(kIconContextMenu);
        EXPECT_EQ(platform.menus.back(), (std::vector<Text>{u"Göster", u"Programı Kapat"}));
        EXPECT_EQ(Window().visible, choice == 1);
        EXPECT_EQ(platform.icons.empty(), choice != 0);
        EXPECT_EQ(platform.endedWith.has_value(), choice == 2);
    }
}

TEST_F(Tray, ARefusedAddShowsTheWindowAndLeavesNoIcon) {
    platform.refuseAdd = true;
    HideLabel().UserClick();
    EXPECT_TRUE(Window().visible);
    EXPECT_TRUE(platform.icons.empty());
    EXPECT_EQ(platform.notifyCalls.back().first, kNimDelete);
}

TEST_F(Tray, AnAddThatFailsButMadeTheIconKeepsTheWindowHidden) {
    platform.addTimesOut = true;
    HideLabel().UserClick();
    EXPECT_FALSE(Window().visible);
    EXPECT_EQ(platform.icons.size(), 1u);
}

TEST_F(Tray, RecreatedTaskbarGetsTheIconBackOnlyWhileHidden) {
    form.TaskbarCreated();
    EXPECT_TRUE(platform.icons.empty());
    HideLabel().UserClick();
    form.TaskbarCreated();  // a shell that kept its icons, or a broadcast from another program
    EXPECT_FALSE(Window().visible);
    EXPECT_EQ(platform.icons.size(), 1u);
    platform.icons.clear();  // the shell restarted and forgot it
    form.TaskbarCreated();
    EXPECT_EQ(platform.icons.size(), 1u);
    platform.icons.clear();
    platform.refuseAdd = true;
    form.TaskbarCreated();
    EXPECT_TRUE(Window().visible);
}

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
    ASSERT_EQ(platform.notifyCalls.size(), 1u);
    EXPECT_EQ(platform.notifyCalls[0].first, kNimDelete);
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
