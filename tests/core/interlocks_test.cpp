#include "form_fixture.h"

namespace velkora::testing {
namespace {

class Interlocks : public FormTest {
protected:
    std::vector<bool> BoxesEnabled() {
        std::vector<bool> v;
        for (int n = 1; n <= 5; ++n) v.push_back(Check(n).enabled);
        return v;
    }
    std::vector<bool> PhraseControlsEnabled() {
        return {TextBoxNamed("Text2").enabled, Button(3).enabled, List().enabled, Button(7).enabled,
                Button(6).enabled};
    }
};

TEST_F(Interlocks, TickingOneBoxDisablesTheOthersAndClearingEnablesAll) {
    for (int box = 1; box <= 5; ++box) {
        Check(box).UserClick();
        std::vector<bool> expected(5, false);
        expected[box - 1] = true;
        EXPECT_EQ(BoxesEnabled(), expected) << box;
        Check(box).UserClick();
        EXPECT_EQ(BoxesEnabled(), std::vector<bool>(5, true)) << box;
    }
}

TEST_F(Interlocks, PhraseBoxSwitchesThePhraseControlsButNeverText9) {
    Check(5).UserClick();
    EXPECT_EQ(PhraseControlsEnabled(), std::vector<bool>(5, true));
    EXPECT_FALSE(TextBoxNamed("Text9").enabled);
    TextBoxNamed("Text9").enabled = true;  // whatever it was, clearing disables it
    Check(5).UserClick();
    EXPECT_EQ(PhraseControlsEnabled(), std::vector<bool>(5, false));
    EXPECT_FALSE(TextBoxNamed("Text9").enabled);
}

TEST_F(Interlocks, OtherBoxesLeaveThePhraseControlsAlone) {
    Check(5).UserClick();
    Check(5).enabled = true;
    Check(2).enabled = true;
    Check(2).value = 1;
    form.Check2_Click();
    EXPECT_EQ(PhraseControlsEnabled(), std::vector<bool>(5, true));
    Check(2).value = 0;
    form.Check2_Click();
    EXPECT_EQ(PhraseControlsEnabled(), std::vector<bool>(5, true));
}

TEST_F(Interlocks, ClearingABoxLeavesItsTimerRunningAndPublishesNothing) {
    Check(1).UserClick();
    Button(1).UserClick();
    platform.deliveries.clear();
    Check(1).UserClick();
    EXPECT_TRUE(TimerN(3).enabled);
    EXPECT_EQ(Check(1).value, 0);
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Interlocks, AValueOtherThanOneTakesTheClearedBranch) {
    Check(3).UserClick();
    Check(3).value = 2;
    form.Check3_Click();
    EXPECT_EQ(BoxesEnabled(), std::vector<bool>(5, true));
}

}  // namespace
}  // namespace velkora::testing
