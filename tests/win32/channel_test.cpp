// PublishStatus over the real Win32 calls, to receivers in other processes.
#include <gtest/gtest.h>

#include "harness.h"
#include "platform/win32_platform.h"
#include "status/publish.h"

namespace velkora {
namespace {

using e2e::Receiver;

void Publish(Win32Platform& platform, const Text& phrase) {
    PublishStatus(platform, u"", u"", phrase, u"Games", Text(), u"{1}{0}", kShowTrue);
}

TEST(Channel, TwoReceiverWindowsGetByteIdenticalRecords) {
    Receiver receiver;
    ASSERT_TRUE(receiver.Start(L"--windows 2"));
    Win32Platform platform;
    Publish(platform, u"Türkçe ğüşıöç İ \\0 sonu");
    ASSERT_TRUE(receiver.WaitForCount(2, 5000));
    const auto records = receiver.Records();
    EXPECT_NE(records[0]["window"], records[1]["window"]);
    EXPECT_EQ(records[0]["raw"], records[1]["raw"]);
    // A phrase holding backslash-zero cannot be split again by a reader, but
    // it travels unescaped: the bytes are the payload as built.
    EXPECT_EQ(records[0]["malformed"], "9 separators instead of 8");
    // The bytes are the payload as built: UTF-16 little-endian, closing NUL included.
    const Text payload = BuildStatusPayload(u"", u"", u"Türkçe ğüşıöç İ \\0 sonu", u"Games", Text(), u"{1}{0}", kShowTrue);
    std::string hex;
    for (char16_t c : payload) {
        static const char d[] = "0123456789abcdef";
        for (unsigned byte : {static_cast<unsigned>(c & 0xFF), static_cast<unsigned>(c >> 8)}) {
            hex.push_back(d[byte >> 4]);
            hex.push_back(d[byte & 15]);
        }
    }
    EXPECT_EQ(records[0]["raw"], hex);
}

TEST(Channel, MessageOnlyReceiversAreReachedToo) {
    Receiver receiver;
    ASSERT_TRUE(receiver.Start(L"--message-only"));
    Win32Platform platform;
    Publish(platform, u"mesaj");
    ASSERT_TRUE(receiver.WaitForCount(1, 5000));
    EXPECT_EQ(receiver.Records()[0].Field("field1"), u"mesaj");
}

TEST(Channel, AStuckReceiverDelaysAPublishNoLongerThanTheBound) {
    Receiver stuck, healthy;
    ASSERT_TRUE(stuck.Start(L"--stall 10000"));
    ASSERT_TRUE(healthy.Start());
    Win32Platform platform;
    const ULONGLONG start = GetTickCount64();
    Publish(platform, u"bir");
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_LE(elapsed, Win32Platform::kSendTimeoutMs + 500u);
    ASSERT_TRUE(healthy.WaitForCount(1, 3000));
    EXPECT_EQ(healthy.Records()[0].Field("field1"), u"bir");
    stuck.Proc().Kill();
}

}  // namespace
}  // namespace velkora
