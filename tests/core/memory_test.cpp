#include "form_fixture.h"

namespace velkora::testing {
namespace {

class Memory : public FormTest {};

TEST_F(Memory, TickFillsTheLabelsAndPublishesTheSentence) {
    platform.memory = {45, 536330240, 268435456};
    Check(2).UserClick();
    Button(1).UserClick();
    TimerN(5).Fire();
    EXPECT_EQ(LabelNamed("Label15").caption, u"511,484375 mb");
    EXPECT_EQ(LabelNamed("Label16").caption, u"45");
    EXPECT_EQ(LabelNamed("Label17").caption, u"256 mb");
    const Text sentence = u"Toplam Bellek: 511,484375 mb - Kullanılan: 45 - Boşta: 256 mb";
    EXPECT_EQ(TextBoxNamed("Text5").text, sentence);
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].field0, sentence);
    EXPECT_EQ(sent[0].format, u"{0}");
}

TEST_F(Memory, LargeCountsAreNeverNegativeAndBeyond4GiBAreExact) {
    platform.memory = {0, 2147483648ull, 17179869184ull};
    TimerN(5).enabled = true;
    TimerN(5).Fire();
    EXPECT_EQ(LabelNamed("Label15").caption, u"2048 mb");
    EXPECT_EQ(LabelNamed("Label16").caption, u"0");
    EXPECT_EQ(LabelNamed("Label17").caption, u"16384 mb");
}

TEST_F(Memory, AFailedStepLeavesTheOthersAndTheSentenceFollowsTheCaptions) {
    TimerN(5).enabled = true;
    TimerN(5).Fire();
    platform.deliveries.clear();
    platform.memoryError = RuntimeError(5, u"x");
    platform.separator = Text(u".");
    TimerN(5).Fire();
    // The read failed: the figures are zero, and the sentence is built from
    // the captions as they stand.
    EXPECT_EQ(LabelNamed("Label15").caption, u"0 mb");
    EXPECT_EQ(TextBoxNamed("Text5").text, u"Toplam Bellek: 0 mb - Kullanılan: 0 - Boşta: 0 mb");
    ASSERT_EQ(platform.deliveries.size(), 1u);
    EXPECT_FALSE(platform.endedWith);
    EXPECT_TRUE(platform.messageBoxes.empty());
}

class DateTime : public FormTest {};

TEST_F(DateTime, TimeIsReadFirstThenTheDateAndPublished) {
    TimerN(4).enabled = true;
    TimerN(4).Fire();
    EXPECT_EQ(platform.clockReads, (std::vector<std::string>{"time", "date"}));
    EXPECT_EQ(TextBoxNamed("Text4").text, u"14:05:09 09.03.2024");
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].field0, u"14:05:09 09.03.2024");
    EXPECT_EQ(sent[0].category, u"Music");
}

// A date the system cannot give is reported, and no record goes without it.
TEST_F(DateTime, ADateThatCannotBeHadIsAnErrorNotAnEmptyPart) {
    platform.dateError = RuntimeError(17, u"Tarih metni alınamadı");
    TimerN(4).enabled = true;
    TimerN(4).Fire();
    EXPECT_TRUE(platform.deliveries.empty());
    ASSERT_EQ(platform.messageBoxes.size(), 1u);
    EXPECT_NE(platform.messageBoxes[0].first.find(u"Tarih metni alınamadı"), Text::npos);
    EXPECT_EQ(platform.endedWith, 17);
}

}  // namespace
}  // namespace velkora::testing
