#include <cmath>
#include <map>

#include "form_fixture.h"

namespace velkora::testing {
namespace {

class Phrases : public FormTest {
protected:
    Phrases() { Check(5).UserClick(); }
    MemoryTextBox& Entry() { return TextBoxNamed("Text2"); }
    MemoryTextBox& Current() { return TextBoxNamed("Text9"); }
    MemoryTextBox& Interval() { return TextBoxNamed("Text3"); }
    MemoryLabel& Countdown() { return LabelNamed("Label12"); }
    void Add(const Text& phrase) {
        Entry().UserType(phrase);
        Button(3).UserClick();
    }
    void StartRotation() {
        Button(1).UserClick();
        ASSERT_TRUE(TimerN(1).enabled);
    }
};

TEST_F(Phrases, EmptyEntryIsRefusedWithAMessage) {
    Button(3).UserClick();
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_EQ(platform.messageBoxes[0], (std::pair<Text, Text>{u"Boş bırakmayınız", u"Velkora"}));
    EXPECT_EQ(List().entries.size(), 5u);
    EXPECT_EQ(Current().text, u"");
    EXPECT_FALSE(platform.endedWith);
}

TEST_F(Phrases, AddAppendsAndShowsTheFirstEntry) {
    Button(6).UserClick();
    Add(u"A");
    EXPECT_EQ(List().entries, (std::vector<Text>{u"A"}));
    EXPECT_EQ(Current().text, u"A");
    EXPECT_EQ(Entry().text, u"");
    Add(u"B");
    EXPECT_EQ(List().entries, (std::vector<Text>{u"A", u"B"}));
    EXPECT_EQ(Current().text, u"A");
    Add(u"   ");
    EXPECT_EQ(List().entries.back(), u"   ");
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Phrases, TypingStopsAtSixtyCharacters) {
    Entry().UserType(Text(70, u'ş'));
    EXPECT_EQ(Entry().text.size(), 60u);
}

// Another program can set any text in the box: the word added is the box's
// text up to its limit, whole characters only.
TEST_F(Phrases, AWordSetPastTheLimitIsAddedUpToIt) {
    for (const Text& set : {Text(100000, u'ş'), Text(59, u'a') + u"\U0001F600" + u"b"}) {
        Entry().text = set;
        Button(3).UserClick();
        const Text added = List().entries.back();
        EXPECT_EQ(added, WholeCharacters(TextView(set).substr(0, 60)));
        EXPECT_LE(added.size(), 60u);
    }
}

TEST_F(Phrases, FullListRefusesTheAddAndKeepsEverything) {
    List().entries.assign(ListBox::kMaxEntries, u"x");
    Current().text = u"x";
    Add(u"one more");
    EXPECT_EQ(List().entries.size(), static_cast<std::size_t>(ListBox::kMaxEntries));
    EXPECT_EQ(Current().text, u"x");
    EXPECT_EQ(Entry().text, u"");
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_EQ(platform.messageBoxes[0].second, u"Velkora");
    EXPECT_FALSE(platform.endedWith);
}

TEST_F(Phrases, RemoveAndClear) {
    Current().text = u"shown";
    Button(7).UserClick();  // no selection: the list stays, Text9 is emptied
    EXPECT_EQ(List().entries.size(), 5u);
    EXPECT_EQ(Current().text, u"");
    EXPECT_FALSE(platform.endedWith);

    List().UserClick(1);
    Button(7).UserClick();
    EXPECT_EQ(List().entries.size(), 4u);
    EXPECT_EQ(List().entries[1], u"Who Wants To Live Forever?");

    Current().text = u"kept";
    Button(6).UserClick();
    EXPECT_TRUE(List().entries.empty());
    EXPECT_EQ(Current().text, u"kept");
}

TEST_F(Phrases, PlusAndMinusRows) {
    struct Case { const char* button; const char16_t* interval; const char16_t* countdown;
                  const char16_t* newInterval; const char16_t* newCountdown; };
    const Case cases[] = {
        {"+", u"10", u"7", u"11", u"8"},
        {"-", u"1", u"5", u"0", u"4"},
        {"-", u"1", u"0", u"0", u"0"},
        {"-", u"5", u"0", u"4", u"-1"},
        {"-", u"0", u"3", u"0", u"2"},
        {"-", u"0", u"0", u"0", u"0"},
    };
    for (const Case& c : cases) {
        Interval().text = c.interval;
        Countdown().caption = c.countdown;
        Button(std::string(c.button) == "+" ? 4 : 5).UserClick();
        EXPECT_EQ(Interval().text, c.newInterval) << c.button << " " << ToUtf8(c.interval);
        EXPECT_EQ(Countdown().caption, c.newCountdown) << c.button << " " << ToUtf8(c.countdown);
    }
}

TEST_F(Phrases, ClickingAnEntryPublishesItOnce) {
    List().UserClick(2);
    EXPECT_EQ(Current().text, u"Who Wants To Live Forever?");
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].field1, u"Who Wants To Live Forever?");
    EXPECT_EQ(sent[0].field0, u"");
    EXPECT_EQ(sent[0].format, u"{1}{0}");
}

TEST_F(Phrases, CountdownRunsNToOneAndPublishesOnEveryNthTick) {
    Interval().text = u"3";
    Countdown().caption = u"3";
    StartRotation();
    std::vector<Text> shown;
    std::vector<std::size_t> published;
    for (int tick = 1; tick <= 9; ++tick) {
        TimerN(1).Fire();
        shown.push_back(Countdown().caption);
        published.push_back(platform.deliveries.size());
    }
    EXPECT_EQ(shown, (std::vector<Text>{u"2", u"1", u"3", u"2", u"1", u"3", u"2", u"1", u"3"}));
    // Each run-out publishes twice: from the selection's click, then once more.
    EXPECT_EQ(published, (std::vector<std::size_t>{0, 0, 2, 2, 2, 4, 4, 4, 6}));
}

TEST_F(Phrases, RunOutSelectsTheEntryAndSendsTheSameStatusTwice) {
    Countdown().caption = u"1";
    StartRotation();
    TimerN(1).Fire();
    EXPECT_EQ(Countdown().caption, u"10");
    ASSERT_NE(List().selected, -1);
    EXPECT_EQ(Current().text, List().entries[static_cast<std::size_t>(List().selected)]);
    ASSERT_EQ(platform.deliveries.size(), 2u);
    EXPECT_EQ(platform.deliveries[0].bytes, platform.deliveries[1].bytes);
    EXPECT_EQ(platform.deliveries[0].Decoded().field1, Current().text);
}

TEST_F(Phrases, IntervalZeroPublishesOnEveryTick) {
    Interval().text = u"0";
    Countdown().caption = u"0";
    StartRotation();
    for (int tick = 1; tick <= 4; ++tick) {
        TimerN(1).Fire();
        EXPECT_EQ(platform.deliveries.size(), 2u * tick);
        EXPECT_EQ(Countdown().caption, u"0");
    }
}

TEST_F(Phrases, EmptyListRunOutPublishesTheEmptyPhraseOnce) {
    Button(6).UserClick();
    Current().text = u"old";
    Countdown().caption = u"1";
    StartRotation();
    TimerN(1).Fire();
    EXPECT_EQ(Current().text, u"");
    ASSERT_EQ(platform.deliveries.size(), 1u);
    EXPECT_EQ(platform.deliveries[0].Decoded().field1, u"");
    EXPECT_FALSE(platform.endedWith);
}

TEST_F(Phrases, StartingAndStoppingNeverResetsTheCountdown) {
    StartRotation();
    TimerN(1).Fire();
    TimerN(1).Fire();
    Button(2).UserClick();
    EXPECT_EQ(Countdown().caption, u"8");
    Button(1).UserClick();
    TimerN(1).Fire();
    EXPECT_EQ(Countdown().caption, u"7");
}

std::vector<Text> FirstChoices(int count) {
    FakePlatform platform;
    MemoryControls controls;
    Form1 form(platform, controls);
    form.Form_Load();
    controls.TextBoxNamed("Text3").text = u"1";
    controls.As<MemoryLabel>("Label12").caption = u"1";
    controls.TimerNumber(1).enabled = true;
    std::vector<Text> chosen;
    for (int i = 0; i < count; ++i) {
        controls.TimerNumber(1).Fire();
        chosen.push_back(controls.TextBoxNamed("Text9").text);
    }
    return chosen;
}

TEST(PhraseRotation, TwoRunsChooseTheSameSequence) {
    EXPECT_EQ(FirstChoices(50), FirstChoices(50));
}

TEST(PhraseRotation, ChoiceIsUniformOverTheDefaultList) {
    const int runOuts = 50000;
    std::map<Text, int> counts;
    for (const Text& t : FirstChoices(runOuts)) counts[t]++;
    ASSERT_EQ(counts.size(), 5u);  // every default phrase, the first included, and never an empty one
    EXPECT_EQ(counts.count(u""), 0u);
    // Pearson's chi-square with 4 degrees of freedom; 18.47 is the 0.1% point.
    const double expected = runOuts / 5.0;
    double chi2 = 0;
    for (const auto& [text, n] : counts) chi2 += (n - expected) * (n - expected) / expected;
    EXPECT_LT(chi2, 18.47);
}

TEST(PhraseRotation, OneEntryIsChosenAtEveryRunOut) {
    FakePlatform platform;
    MemoryControls controls;
    Form1 form(platform, controls);
    controls.As<MemoryListBox>("List1").entries = {u"tek"};
    controls.TextBoxNamed("Text3").text = u"0";
    controls.As<MemoryLabel>("Label12").caption = u"0";
    controls.TimerNumber(1).enabled = true;
    for (int i = 0; i < 20; ++i) {
        controls.TimerNumber(1).Fire();
        EXPECT_EQ(controls.TextBoxNamed("Text9").text, u"tek");
    }
}

}  // namespace
}  // namespace velkora::testing
