#include <gtest/gtest.h>

#include "fake_platform.h"
#include "sources/processor.h"

namespace velkora {
namespace {

TEST(ProcessorMHz, ReadsProcessorZeroThroughWScriptShell) {
    testing::FakePlatform platform;
    platform.registryValue = std::int64_t{2100};
    EXPECT_EQ(ProcessorMHz(platform), 2100);
    ASSERT_EQ(platform.automationCalls.size(), 1u);
    EXPECT_EQ(platform.automationCalls[0],
              u"WScript.Shell|regread|HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\~MHz");
}

TEST(ToLong, ConvertsWhatTheObjectMayReturn) {
    struct Case { AutomationValue value; std::int32_t expected; };
    const Case cases[] = {
        {std::int64_t{2394}, 2394},       {std::int64_t{-5}, -5},   {2.5, 2},
        {3.5, 4},                         {Text(u" 2100 "), 2100},  {true, -1},
        {std::monostate{}, 0},            {std::int64_t{INT32_MAX}, INT32_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(ToLong(c.value, u"."), c.expected);
}

TEST(ToLong, RejectsOverflowAndNonNumbers) {
    struct Case { AutomationValue value; std::int32_t error; };
    const Case cases[] = {
        {std::int64_t{2147483648}, 6}, {3e9, 6}, {Text(u"hızlı"), 13}, {Text(u""), 13},
    };
    for (const Case& c : cases) {
        try {
            ToLong(c.value, u".");
            ADD_FAILURE() << "converted a bad value";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), c.error);
        }
    }
}

}  // namespace
}  // namespace velkora
