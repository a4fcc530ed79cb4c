#include "form_fixture.h"

namespace velkora::testing {
namespace {

class Controller : public FormTest {};

TEST_F(Controller, StartState) {
    EXPECT_EQ(form.StatusCategory, u"Music");
    EXPECT_TRUE(TimerN(2).enabled);
    for (int n : {1, 3, 4, 5}) EXPECT_FALSE(TimerN(n).enabled) << n;
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(Check(n).value, 0);
        EXPECT_TRUE(Check(n).enabled);
    }
    for (const char* name : {"Text2", "Text3", "Text9"}) EXPECT_FALSE(TextBoxNamed(name).enabled) << name;
    EXPECT_FALSE(List().enabled);
    for (int n : {3, 6, 7}) EXPECT_FALSE(Button(n).enabled) << n;
    for (int n : {1, 2, 4, 5}) EXPECT_TRUE(Button(n).enabled) << n;
    EXPECT_EQ(List().entries.size(), 5u);
    EXPECT_EQ(List().entries[3], u"velkora.example");
    EXPECT_EQ(List().selected, -1);
    EXPECT_EQ(TextBoxNamed("Text10").text, u"0 saat ve 0 dakikadır sistemim açık");
    EXPECT_EQ(TextBoxNamed("Text1").text, u" [velkora.example]");
    EXPECT_EQ(TextBoxNamed("Text3").text, u"10");
    EXPECT_EQ(LabelNamed("Label12").caption, u"10");
    EXPECT_TRUE(controls.As<MemoryOptionButton>("Option1").value);
    EXPECT_EQ(controls.As<MemoryOptionButton>("Option3").Index, 1);
    EXPECT_EQ(controls.As<MemoryOptionButton>("Option2").Index, 2);
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Controller, NoBoxTickedStopsEverythingAndPublishesNothing) {
    for (int n : {1, 3, 4, 5}) TimerN(n).enabled = true;
    TextBoxNamed("Text11").text = u"old";
    Button(1).UserClick();
    for (int n : {1, 3, 4, 5}) EXPECT_FALSE(TimerN(n).enabled) << n;
    EXPECT_EQ(TextBoxNamed("Text11").text, u"");
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Controller, UptimeBoxPublishesTheCurrentSentenceAtOnceWithTheCategory) {
    controls.As<MemoryOptionButton>("Option2").UserClick();
    TextBoxNamed("Text10").text = u"5 saat ve 7 dakikadır sistemim açık";
    Check(1).UserClick();
    Button(1).UserClick();
    EXPECT_TRUE(TimerN(3).enabled);
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].field0, u"5 saat ve 7 dakikadır sistemim açık");
    EXPECT_EQ(sent[0].category, u"Office");
    EXPECT_EQ(sent[0].format, u"{0}");
    EXPECT_TRUE(sent[0].Shown());
}

TEST_F(Controller, EachBoxRunsExactlyItsOwnTimer) {
    struct Case { int box; int timer; };
    for (const Case c : {Case{5, 1}, Case{3, 4}, Case{2, 5}, Case{1, 3}}) {
        Check(c.box).value = 1;
        Button(1).UserClick();
        for (int t : {1, 3, 4, 5}) EXPECT_EQ(TimerN(t).enabled, t == c.timer) << "box " << c.box;
        Check(c.box).value = 0;
    }
}

TEST_F(Controller, ProcessorSpeedAlonePublishesOnceAndLeavesNoTimer) {
    Check(4).UserClick();
    Button(1).UserClick();
    EXPECT_EQ(TextBoxNamed("Text11").text, u"İşlemci Hızım: 2394 MHz");
    for (int n : {1, 3, 4, 5}) EXPECT_FALSE(TimerN(n).enabled);
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].field0, u"İşlemci Hızım: 2394 MHz");
    Button(1).UserClick();  // a second press reads and publishes again
    EXPECT_EQ(platform.automationCalls.size(), 2u);
    EXPECT_EQ(platform.deliveries.size(), 2u);
}

TEST_F(Controller, FailedSpeedReadIsShownAndTheProgramGoesOn) {
    platform.automationError = RuntimeError(-2147024894, u"Unable to open registry key");
    TextBoxNamed("Text11").text = u"İşlemci Hızım: 1 MHz";
    Check(4).value = 1;
    Check(2).value = 1;  // boxes are normally exclusive; here both, to see steps 1-4 stay in effect
    Button(1).UserClick();
    EXPECT_TRUE(TimerN(5).enabled);
    EXPECT_EQ(TextBoxNamed("Text11").text, u"İşlemci Hızım: 1 MHz");
    EXPECT_TRUE(platform.deliveries.empty());
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_NE(platform.messageBoxes[0].first.find(u"-2147024894"), Text::npos);
    EXPECT_NE(platform.messageBoxes[0].first.find(u"Unable to open registry key"), Text::npos);
    EXPECT_EQ(platform.messageBoxes[0].second, u"Velkora");
    EXPECT_FALSE(platform.endedWith);
}

TEST_F(Controller, TurnOffCarriesMusicAndStopsAllFourTimers) {
    controls.As<MemoryOptionButton>("Option3").UserClick();
    EXPECT_EQ(form.StatusCategory, u"Games");
    for (int n : {1, 3, 4, 5}) TimerN(n).enabled = true;
    Check(5).value = 1;
    Button(2).UserClick();
    for (int n : {1, 3, 4, 5}) EXPECT_FALSE(TimerN(n).enabled);
    EXPECT_TRUE(TimerN(2).enabled);
    ASSERT_EQ(platform.deliveries.size(), 1u);
    EXPECT_EQ(platform.deliveries[0].bytes.size(), 64u);
    const auto s = platform.deliveries[0].Decoded();
    EXPECT_EQ(s.category, u"Music");
    EXPECT_EQ(s.format, u"{0} - {1}");
    EXPECT_FALSE(s.Shown());
    EXPECT_EQ(Check(5).value, 1);  // boxes and category stay for the next press
    EXPECT_EQ(form.StatusCategory, u"Games");
}

TEST_F(Controller, CategoryChangeAloneSendsNothingButTheNextTickCarriesIt) {
    Check(3).UserClick();
    Button(1).UserClick();
    controls.As<MemoryOptionButton>("Option3").UserClick();
    EXPECT_TRUE(platform.deliveries.empty());
    TimerN(4).Fire();
    ASSERT_EQ(platform.deliveries.size(), 1u);
    EXPECT_EQ(platform.deliveries[0].Decoded().category, u"Games");
}

TEST_F(Controller, AValueOtherThanOneCountsAsClear) {
    for (int n = 1; n <= 5; ++n) Check(n).value = 2;
    Button(1).UserClick();
    for (int n : {1, 3, 4, 5}) EXPECT_FALSE(TimerN(n).enabled);
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Controller, SecondPressReappliesTheBoxes) {
    Check(2).UserClick();
    Button(1).UserClick();
    EXPECT_TRUE(TimerN(5).enabled);
    Check(2).UserClick();
    Check(3).UserClick();
    Button(1).UserClick();
    EXPECT_FALSE(TimerN(5).enabled);
    EXPECT_TRUE(TimerN(4).enabled);
}

TEST_F(Controller, AnUntrappedErrorIsShownOnceAndEndsTheProgramWithItsNumber) {
    // The memory source publishes every second; while the message is up its
    // tick comes due, the user clicks, "+" fails again: nothing of it runs.
    Check(2).UserClick();
    Button(1).UserClick();
    platform.whileMessageShown = [this] {
        TimerN(5).Fire();
        Button(2).UserClick();
        Button(4).UserClick();
    };
    TextBoxNamed("Text3").text = u"on";  // no number: "+" meets a type mismatch
    Button(4).UserClick();
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_NE(platform.messageBoxes[0].first.find(u"'13'"), Text::npos);
    EXPECT_EQ(platform.endedWith, 13);
    EXPECT_TRUE(platform.deliveries.empty());
}

}  // namespace
}  // namespace velkora::testing
