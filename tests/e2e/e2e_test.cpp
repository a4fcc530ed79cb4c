// The real Velkora.exe publishing to a separate receiver process.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>

#include "harness.h"
#include "platform/platform.h"
#include "platform/win32_text.h"
#include "window/win32_dpi.h"
#include "sources/number_text.h"
#include "window/form1_layout.h"

namespace velkora::e2e {
namespace {

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(receiver.Start());
        ASSERT_TRUE(app.Start());
    }
    std::int32_t RegistryMHz() {
        DWORD value = 0, size = sizeof value;
        RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"~MHz", RRF_RT_REG_DWORD,
                     nullptr, &value, &size);
        return static_cast<std::int32_t>(value);
    }
    Receiver receiver;
    VelkoraApp app;
};

TEST_F(EndToEnd, TurnOffDeliversThe64ByteRecord) {
    app.Click("Command2");
    ASSERT_TRUE(receiver.WaitForCount(1, 5000));
    const Received r = receiver.Records()[0];
    EXPECT_EQ(r["bytes"], "64");
    EXPECT_EQ(r["category"], "Music");
    EXPECT_EQ(r["show"], "0");
    EXPECT_EQ(r["format"], "{0} - {1}");
    EXPECT_EQ(r["field0"], "");
}

TEST_F(EndToEnd, ProcessorSpeedArrivesOnce) {
    app.Click("Check4");
    EXPECT_FALSE(app.Enabled("Check1"));
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 5000));
    const std::string expected = ToUtf8(u"İşlemci Hızım: " + WholeNumberText(RegistryMHz()) + u" MHz");
    EXPECT_EQ(receiver.Records()[0]["field0"], expected);
    EXPECT_EQ(ToUtf8(app.TextOf("Text11")), expected);
    Sleep(1500);
    EXPECT_EQ(receiver.Count(), 1u);  // no timer publishes it again
}

TEST_F(EndToEnd, UptimeArrivesAtOnceWithTheRightFigures) {
    Sleep(1200);  // Text10 holds its start text until the first refresh, a second after start
    app.Click("Check1");
    const ULONGLONG before = GetTickCount64();
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 2000));
    const std::string sentence = receiver.Records()[0]["field0"];
    std::smatch m;
    ASSERT_TRUE(std::regex_match(sentence, m, std::regex("(\\d+) saat ve (\\d+) dakikad\xC4\xB1r sistemim a\xC3\xA7\xC4\xB1k \\[velkora\\.example\\]")))
        << sentence;
    const ULONGLONG minutes = std::stoull(m[1]) * 60 + std::stoull(m[2]);
    // Text10 is at most a second old; allow for a minute boundary in between.
    EXPECT_LE(minutes, before / 60000);
    EXPECT_GE(minutes + 1, (before - 2000) / 60000);
}

TEST_F(EndToEnd, MemorySentenceArrivesEverySecondAndAgreesWithTheSystem) {
    app.Click("Check2");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(3, 5000));
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    GlobalMemoryStatusEx(&m);
    wchar_t sep[8];
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
    const Text total = DoubleText(static_cast<double>(m.ullTotalPhys) / 1024 / 1024, FromWide(sep, wcslen(sep)));
    const std::string sentence = receiver.Records()[2]["field0"];
    EXPECT_EQ(sentence.rfind(ToUtf8(u"Toplam Bellek: " + total + u" mb - Kullanılan: "), 0), 0u) << sentence;
    EXPECT_NE(sentence.find(ToUtf8(u" - Boşta: ")), std::string::npos);
    EXPECT_EQ(sentence.substr(sentence.size() - 3), " mb");
    EXPECT_EQ(receiver.Records()[2]["category"], "Music");
}

TEST_F(EndToEnd, DateAndTimeFollowTheLocaleFormats) {
    app.Click("Option2");  // Office
    app.Click("Check3");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    const Received r = receiver.Records()[0];
    // The text of one of the last few seconds, in the user's formats.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    std::vector<std::string> candidates;
    for (int back = 0; back <= 4; ++back) {
        ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
        t.QuadPart -= static_cast<ULONGLONG>(back) * 10000000;
        FILETIME utc{t.LowPart, t.HighPart}, local;
        FileTimeToLocalFileTime(&utc, &local);
        SYSTEMTIME st;
        FileTimeToSystemTime(&local, &st);
        wchar_t time[64], date[64];
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64);
        candidates.push_back(ToUtf8(FromWide(std::wstring(time) + L" " + date)));
    }
    EXPECT_NE(std::find(candidates.begin(), candidates.end(), r["field0"]), candidates.end()) << r["field0"];
    EXPECT_EQ(r["category"], "Office");
}

// A short-date format of 75 characters (a format may have 80) whose date
// runs past 127, 140 under Wine, where each "g" is the era "AD"; set before
// the program starts, put back after. The record carries the date whole.
class LongDate : public EndToEnd {
protected:
    void SetUp() override {
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved_, 80);
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, (L"dd.MM.yyyy" + std::wstring(65, L'g')).c_str()));
        EndToEnd::SetUp();
    }
    void TearDown() override { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved_); }
    wchar_t saved_[80] = {};
};

TEST_F(LongDate, TheRecordCarriesTheDateWhole) {
    app.Click("Check3");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    wchar_t date[300];
    const auto length = static_cast<std::size_t>(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 300) - 1);
    ASSERT_GT(length, 127u);
    const Text record = receiver.Records()[0].Field("field0");
    EXPECT_EQ(record.substr(record.size() - std::min(record.size(), length + 1)), u" " + FromWide(date, length));
}

TEST_F(EndToEnd, PhraseControlsAndAClickedEntryArrive) {
    EXPECT_FALSE(app.Enabled("List1"));
    app.Click("Check5");
    for (const char* name : {"Text2", "Command3", "List1", "Command7", "Command6"}) EXPECT_TRUE(app.Enabled(name)) << name;
    EXPECT_FALSE(app.Enabled("Text9"));
    // A user's click on the third entry.
    HWND list = app.Child("List1");
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    EXPECT_EQ(receiver.Records()[0]["field1"], "Who Wants To Live Forever?");
    EXPECT_EQ(receiver.Records()[0]["format"], "{1}{0}");
    EXPECT_EQ(app.TextOf("Text9"), u"Who Wants To Live Forever?");
}

TEST_F(EndToEnd, IntervalOfOnePublishesEverySecond) {
    app.Click("Check5");
    for (int i = 0; i < 9; ++i) app.Click("Command5");
    EXPECT_EQ(app.TextOf("Text3"), u"1");
    app.Click("Command1");
    // Each run-out sends the phrase twice: from the selection, then once more.
    ASSERT_TRUE(receiver.WaitForCount(6, 8000));
    const auto records = receiver.Records();
    EXPECT_EQ(records[0]["raw"], records[1]["raw"]);
    EXPECT_EQ(records[0]["format"], "{1}{0}");
    EXPECT_FALSE(records[0]["field1"].empty());
}

TEST_F(EndToEnd, EnterPressesTheActivateButtonAndTypingStopsAtSixty) {
    app.Click("Check5");
    for (int i = 0; i < 9; ++i) app.Click("Command5");  // interval 1: a phrase every second once started
    // Typed and pressed by hand, in this order: a clicked button keeps the
    // keyboard, and Enter there would press that button instead.
    input::Click(app.ScreenPoint("Text2"));
    input::Type(std::wstring(70, L'ş'));
    WaitUntil([&] { return app.TextOf("Text2").size() >= 60; }, 3000);
    Sleep(300);  // and whatever else was typed
    EXPECT_EQ(app.TextOf("Text2"), Text(60, u'ş'));
    const LRESULT entries = SendMessageW(app.Child("List1"), LB_GETCOUNT, 0, 0);
    // Enter while the entry box has the keyboard: the default button runs
    // (the phrase countdown starts) and nothing is added.
    input::Key(VK_RETURN);
    ASSERT_TRUE(receiver.WaitForCount(2, 4000));
    EXPECT_EQ(SendMessageW(app.Child("List1"), LB_GETCOUNT, 0, 0), entries);
}

TEST_F(EndToEnd, HiddenWindowKeepsPublishingAndTheIconBringsItBack) {
    app.Click("Check2");
    app.Click("Command1");
    app.ClickLabel("Label14");
    EXPECT_FALSE(IsWindowVisible(app.Main()));
    const std::size_t seen = receiver.Count();
    ASSERT_TRUE(receiver.WaitForCount(seen + 2, 4000));
    HWND owner = app.Child("picSystemTray");
    ASSERT_NE(owner, nullptr);
    for (LPARAM event : {513, 514, 516}) SendMessageW(owner, WM_MOUSEMOVE, 0, event);
    EXPECT_FALSE(IsWindowVisible(app.Main()));
    SendMessageW(owner, WM_MOUSEMOVE, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(app.Main()));
}

TEST_F(EndToEnd, CloseEndsTheProgramAndNothingFollows) {
    app.Click("Check2");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    app.PressOn("Label71", WM_LBUTTONDOWN, 0);
    DWORD_PTR result = 0;
    const RECT r = app.LabelRect("Label71");
    SendMessageTimeoutW(app.Main(), WM_LBUTTONUP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2),
                        SMTO_ABORTIFHUNG, 2000, &result);
    ASSERT_TRUE(app.Proc().Exited(5000));
    const std::size_t after = receiver.Count();
    Sleep(1500);
    EXPECT_EQ(receiver.Count(), after);
    for (const Received& rec : receiver.Records()) EXPECT_EQ(rec["show"], "1");  // no turn-off record was sent
}

TEST_F(EndToEnd, EachPressOfADoubleClickIsAPress) {
    app.Click("Check4");
    input::Click(app.ScreenPoint("Command1"), 2);
    ASSERT_TRUE(receiver.WaitForCount(2, 5000));
    input::Click(app.ScreenPoint("Command2"), 2);
    ASSERT_TRUE(receiver.WaitForCount(4, 5000));
    Sleep(500);
    const auto records = receiver.Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1]["field0"], records[0]["field0"]);
    EXPECT_EQ(records[0]["show"], "1");
    EXPECT_EQ(records[2]["show"], "0");
    EXPECT_EQ(records[3]["show"], "0");
}

// A label's double-click is one click: the second press takes no click
// (the window waits for no release), so the link opens its page once. Real
// input, so that the system tells a double-click from two clicks.
TEST_F(EndToEnd, ALabelsDoubleClickIsOneClick) {
    const POINT at = app.ScreenPoint("Label13");
    auto holder = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info);
        return info.hwndCapture;
    };
    input::MoveTo(at);
    input::Button(at, MOUSEEVENTF_LEFTDOWN);
    app.Sync();
    EXPECT_EQ(holder(), app.Main());  // a click waits for its release
    input::Button(at, MOUSEEVENTF_LEFTUP);
    input::Button(at, MOUSEEVENTF_LEFTDOWN);
    app.Sync();
    EXPECT_EQ(holder(), nullptr);
    input::Button(at, MOUSEEVENTF_LEFTUP);
}

TEST_F(EndToEnd, KeysTypedIntoAHolderChangeNothingThatIsPublished) {
    HWND holder = app.Child("Text1");
    const Text before = app.TextOf("Text1");
    for (wchar_t c : std::wstring(L"ZQ")) SendMessageW(holder, WM_CHAR, c, 1);
    EXPECT_EQ(app.TextOf("Text1"), before);
    EXPECT_TRUE(IsWindowEnabled(holder));
    EXPECT_TRUE(GetWindowLongW(holder, GWL_STYLE) & WS_TABSTOP);
    Sleep(1200);  // Text10 holds its start text until the first refresh, a second after start
    app.Click("Check1");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    const std::string sentence = receiver.Records()[0]["field0"];
    EXPECT_EQ(sentence.substr(sentence.size() - before.size()), ToUtf8(before)) << sentence;
}

TEST_F(EndToEnd, TheTrayIconLivesExactlyAsLongAsItIsShown) {
    app.ClickLabel("Label14");
    ASSERT_FALSE(IsWindowVisible(app.Main()));
    HWND owner = app.Child("picSystemTray");
    EXPECT_TRUE(TrayIconShown(owner));
    // Another program broadcasts TaskbarCreated while the shell kept the icon.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
    app.Sync();
    EXPECT_FALSE(IsWindowVisible(app.Main()));
    EXPECT_TRUE(TrayIconShown(owner));
    // Closed from outside: the program ends, and its icon goes with it.
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.Proc().Exited(5000));
    EXPECT_FALSE(TrayIconShown(owner));
}

TEST_F(EndToEnd, ARightButtonMoveOfTheBannerEndsWithItsRelease) {
    RECT start;
    GetWindowRect(app.Main(), &start);
    POINT grip{MulDiv(200, app.Dpi(), 96), MulDiv(15, app.Dpi(), 96)};  // on the banner, clear of the labels
    ClientToScreen(app.Main(), &grip);
    input::MoveTo(grip);
    input::Button(grip, MOUSEEVENTF_RIGHTDOWN);
    input::MoveTo({grip.x + 20, grip.y + 10});
    input::Button({grip.x + 40, grip.y + 25}, MOUSEEVENTF_RIGHTUP);
    RECT moved;
    WaitUntil([&] { return GetWindowRect(app.Main(), &moved) && moved.left - start.left == 40; }, 3000);
    EXPECT_EQ(moved.left - start.left, 40);
    EXPECT_EQ(moved.top - start.top, 25);
    // A click, then the pointer moves on: the window stays where it was.
    grip = {grip.x + 40, grip.y + 25};
    input::Button(grip, MOUSEEVENTF_RIGHTDOWN);
    input::Button(grip, MOUSEEVENTF_RIGHTUP);
    input::MoveTo({grip.x + 60, grip.y + 80});
    input::MoveTo({grip.x + 90, grip.y + 30});
    Sleep(300);  // input is taken after sent messages: give it time to arrive
    RECT after;
    GetWindowRect(app.Main(), &after);
    EXPECT_EQ(after.left, moved.left);
    EXPECT_EQ(after.top, moved.top);
    input::Click(app.ScreenPoint("Label71"));
    EXPECT_TRUE(app.Proc().Exited(5000));
}

TEST_F(EndToEnd, AnArrowKeySelectsTheNextOptionAndStaysInTheGroup) {
    auto selected = [&](const char* name) { return SendMessageW(app.Child(name), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    input::Click(app.ScreenPoint("Option1"));
    input::Key(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return selected("Option3"); }, 3000));
    EXPECT_FALSE(selected("Option1"));
    app.Click("Check3");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    EXPECT_EQ(receiver.Records()[0]["category"], "Games");
    // The arrows go round the three options and leave the group for nothing else.
    input::Click(app.ScreenPoint("Option3"));
    for (const char* next : {"Option2", "Option1", "Option3"}) {
        input::Key(VK_DOWN);
        EXPECT_TRUE(WaitUntil([&] { return selected(next); }, 3000)) << next;
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info);
        EXPECT_EQ(info.hwndFocus, app.Child(next));
    }
}

TEST_F(EndToEnd, ASecondStartBringsTheHiddenWindowBackAndEnds) {
    app.ClickLabel("Label14");
    ASSERT_FALSE(IsWindowVisible(app.Main()));
    Process second;
    ASSERT_TRUE(second.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
    ASSERT_TRUE(second.Exited(10000));
    EXPECT_EQ(second.ExitCode(), 0u);
    app.Sync();
    EXPECT_TRUE(IsWindowVisible(app.Main()));
    EXPECT_FALSE(TrayIconShown(app.Child("picSystemTray")));
    int windows = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, reinterpret_cast<const wchar_t*>(kMainWindowClass), nullptr));)
        ++windows;
    EXPECT_EQ(windows, 1);
    EXPECT_FALSE(app.Proc().Exited(0));
}

// The running copy is busy (here: its thread is stopped) when the second
// start comes: the request waits for it, and the window comes back once it
// answers.
TEST_F(EndToEnd, ASecondStartWhileTheFirstIsBusyBringsItBackOnceItAnswers) {
    app.ClickLabel("Label14");
    ASSERT_FALSE(IsWindowVisible(app.Main()));
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(app.Main(), nullptr));
    ASSERT_NE(thread, nullptr);
    SuspendThread(thread);
    Process second;
    ASSERT_TRUE(second.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
    const bool ended = second.Exited(15000);
    ResumeThread(thread);
    CloseHandle(thread);
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(app.Main()) != FALSE; }, 3000));
    app.Sync();
    EXPECT_FALSE(TrayIconShown(app.Child("picSystemTray")));
}

// Enter or Space on the icon (the shell's keyboard selection) brings the
// window back; the selection the shell reports after a single click does not.
TEST_F(EndToEnd, TheKeyboardBringsTheWindowBackFromTheTray) {
    app.ClickLabel("Label14");
    HWND owner = app.Child("picSystemTray");
    constexpr LPARAM kSelect = 0x400, kKeySelect = 0x401, kIconId = 1;
    for (LPARAM event : {LPARAM{WM_LBUTTONDOWN}, LPARAM{WM_LBUTTONUP}, kSelect})
        SendMessageW(owner, WM_MOUSEMOVE, 0, MAKELPARAM(event, kIconId));
    EXPECT_FALSE(IsWindowVisible(app.Main()));
    SendMessageW(owner, WM_MOUSEMOVE, 0, MAKELPARAM(kKeySelect, kIconId));
    EXPECT_TRUE(IsWindowVisible(app.Main()));
    EXPECT_EQ(GetForegroundWindow(), app.Main());  // in front, where the next keys go
    EXPECT_FALSE(TrayIconShown(owner));
}

// The icon by hand, through the shell: a double-click brings the window back;
// the keyboard's menu (the shell's request alone, with the icon's anchor
// point) opens at that point, a right click's at the pointer, each dropping
// to the side the system says; "Göster" and "Programı Kapat" act. An icon the
// shell lost comes back with TaskbarCreated, at version 4 (its right click
// opens the menu).
TEST_F(EndToEnd, TheIconByHandAndItsMenuWhereTheUserIs) {
    HWND owner = app.Child("picSystemTray");
    auto shown = [&] { return WaitUntil([&] { return IsWindowVisible(app.Main()) != FALSE; }, 3000); };
    // The menu is up at `at`, on the system's side of it: the middle of item n.
    auto menuItem = [&](POINT at, int n) {
        const RECT menu = MenuRect(app.Main());
        EXPECT_EQ(GetSystemMetrics(SM_MENUDROPALIGNMENT) ? menu.right : menu.left, at.x);
        EXPECT_EQ(menu.top, at.y);
        return POINT{(menu.left + menu.right) / 2, menu.top + (menu.bottom - menu.top) * (2 * n - 1) / 4};
    };
    app.ClickLabel("Label14");
    input::Click(TrayIconPoint(), 2);
    ASSERT_TRUE(shown());
    app.ClickLabel("Label14");
    PostMessageW(owner, WM_MOUSEMOVE, MAKEWPARAM(300, 200), MAKELPARAM(WM_CONTEXTMENU, 1));
    input::Click(menuItem({300, 200}, 1));  // "Göster"
    ASSERT_TRUE(shown());
    EXPECT_FALSE(TrayIconShown(owner));

    app.ClickLabel("Label14");
    ASSERT_TRUE(TrayIconDeleted(owner));  // as a restarted shell would have
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
    app.Sync();
    ASSERT_TRUE(TrayIconShown(owner));
    const POINT icon = TrayIconPoint();
    input::Button(icon, MOUSEEVENTF_RIGHTDOWN);
    input::Button(icon, MOUSEEVENTF_RIGHTUP);
    POINT pointer{};
    GetCursorPos(&pointer);
    input::Click(menuItem(pointer, 2));  // "Programı Kapat"
    ASSERT_TRUE(app.Proc().Exited(5000));
    EXPECT_FALSE(TrayIconShown(owner));
}

// The window's client size at the screen's DPI: 6060 by 8565 twips.
SIZE NormalClientSize() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return SIZE{MulDiv(kFormWidthTwips, dpi, 1440), MulDiv(kFormHeightTwips, dpi, 1440)};
}

void ExpectNormalSize(HWND window) {
    // A maximised window takes its size back on a message it posts itself.
    WaitUntil([&] { return !IsZoomed(window) && !IsIconic(window); }, 2000);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(client.right, NormalClientSize().cx);
    EXPECT_EQ(client.bottom, NormalClientSize().cy);
}

void CloseApp(VelkoraApp& app) {
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.Proc().Exited(5000));
}

// Started minimised (a shortcut's "Run: Minimized") or hidden (a launcher),
// the window waits in the notification area; a second start brings it back
// at its own size.
TEST(EndToEndStart, StartedMinimisedOrHiddenWaitsInTheTrayAndComesBackWhole) {
    for (int show : {SW_SHOWMINNOACTIVE, SW_HIDE}) {
        VelkoraApp app;
        ASSERT_TRUE(app.Start(L"", show));
        EXPECT_FALSE(IsWindowVisible(app.Main())) << show;
        EXPECT_TRUE(TrayIconShown(app.Child("picSystemTray"))) << show;
        Process second;
        ASSERT_TRUE(second.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
        ASSERT_TRUE(second.Exited(10000));
        EXPECT_EQ(second.ExitCode(), 0u);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.Main()) != FALSE; }, 3000)) << show;
        ExpectNormalSize(app.Main());
        CloseApp(app);
    }
}

// Started maximised, or maximised later by the system's command or another
// program, the window keeps its fixed size.
TEST(EndToEndStart, AMaximiseRequestLeavesTheFixedSize) {
    VelkoraApp app;
    ASSERT_TRUE(app.Start(L"", SW_SHOWMAXIMIZED));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.Main()) != FALSE; }, 3000));
    app.Sync();
    ExpectNormalSize(app.Main());
    ShowWindow(app.Main(), SW_MAXIMIZE);
    app.Sync();
    ExpectNormalSize(app.Main());
    DWORD_PTR result = 0;
    SendMessageTimeoutW(app.Main(), WM_SYSCOMMAND, SC_MAXIMIZE, 0, SMTO_BLOCK, 5000, &result);
    app.Sync();
    ExpectNormalSize(app.Main());
    CloseApp(app);
}

// Unpacked into a folder beside a program named explorer.exe, Velkora still
// opens its page with the system's explorer.
TEST(EndToEndLink, TheLinkNeverRunsAProgramLyingBesideVelkora) {
    const std::wstring folder = TempPath(L"unpacked");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring stranger = folder + L"\\explorer.exe";
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\Velkora.exe").c_str(), (folder + L"\\Velkora.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\tests\\trace_program.exe").c_str(), stranger.c_str(), FALSE));
    VelkoraApp app;
    ASSERT_TRUE(app.Start(L"", -1, folder));
    input::Click(app.ScreenPoint("Label13"));
    Sleep(3000);
    EXPECT_EQ(GetFileAttributesW((stranger + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);
    CloseApp(app);
    for (const wchar_t* file : {L"\\Velkora.exe", L"\\explorer.exe", L"\\explorer.exe.ran"})
        DeleteFileW((folder + file).c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(EndToEnd, ALimitKeepsWholeCharactersOnly) {
    app.Click("Check5");
    const std::wstring letters(59, L'a');
    input::Click(app.ScreenPoint("Text2"));
    input::Type(letters + L"\U0001F600");  // 59 letters and one character of two units
    WaitUntil([&] { return app.TextOf("Text2").size() >= 59; }, 3000);
    Sleep(300);  // and whatever else was typed
    EXPECT_EQ(app.TextOf("Text2"), Text(59, u'a'));
    // Pasted past the limit, the same.
    SendMessageW(app.Child("Text2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const std::wstring pasted = L"b" + letters.substr(1) + L"\U0001F600";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    input::Key('V', true);
    WaitUntil([&] { return app.TextOf("Text2").size() >= 59; }, 3000);
    EXPECT_EQ(app.TextOf("Text2"), FromWide(pasted.substr(0, 59)));
    // Shift+Insert pastes too, with no WM_PASTE in some edit controls.
    SendMessageW(app.Child("Text2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    input::KeyWith(VK_SHIFT, VK_INSERT);
    WaitUntil([&] { return app.TextOf("Text2").size() >= 59; }, 3000);
    Sleep(200);
    EXPECT_EQ(app.TextOf("Text2"), FromWide(pasted.substr(0, 59)));
    // Backspace after a character of two units takes it whole.
    SendMessageW(app.Child("Text2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    input::Type(L"ab\U0001F600");
    WaitUntil([&] { return app.TextOf("Text2").size() >= 4; }, 3000);
    input::Key(VK_BACK);
    Sleep(200);
    EXPECT_EQ(app.TextOf("Text2"), u"ab");
    app.Click("Command3");
    SendMessageW(app.Child("Text2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pasted.substr(0, 59).c_str()));
    // What was typed is what is listed and published.
    app.Click("Command3");
    HWND list = app.Child("List1");
    const auto last = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1;
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(last), reinterpret_cast<LPARAM>(&item));
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    input::Click(at);
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    EXPECT_EQ(receiver.Records()[0]["field1"], ToUtf8(FromWide(pasted.substr(0, 59))));
    // Another program sets 100,000 characters: the word added is the first 60.
    const std::wstring flood(100000, L'z');
    SendMessageW(app.Child("Text2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(flood.c_str()));
    app.Click("Command3");
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(SendMessageW(list, LB_GETCOUNT, 0, 0) - 1), 0), 60);
}

// With no text on the clipboard (empty, or a picture only), a paste by
// Ctrl+V, Shift+Insert or the box's own menu leaves the selection standing.
TEST_F(EndToEnd, APasteWithNoTextChangesNothing) {
    app.Click("Check5");
    const POINT box = app.ScreenPoint("Text2");
    input::Click(box);
    const std::function<void()> pastes[] = {
        [] { input::Key('V', true); },
        [] { input::KeyWith(VK_SHIFT, VK_INSERT); },
        [box] {
            input::Button(box, MOUSEEVENTF_RIGHTDOWN);
            input::Button(box, MOUSEEVENTF_RIGHTUP);
            input::Key('P');  // "Paste", greyed or not
            input::Key(VK_ESCAPE);
        },
    };
    for (bool picture : {false, true}) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        if (picture) SetClipboardData(CF_BITMAP, CreateBitmap(1, 1, 1, 1, nullptr));
        CloseClipboard();
        for (std::size_t road = 0; road < std::size(pastes); ++road) {
            SendMessageW(app.Child("Text2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
            SendMessageW(app.Child("Text2"), EM_SETSEL, 0, -1);
            pastes[road]();
            Sleep(300);  // input arrives after sent messages
            EXPECT_EQ(app.TextOf("Text2"), u"abc") << picture << road;
        }
    }
}

// What a screen reader hears, asked from this process.
class Accessibility : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override { CoUninitialize(); }
    static Text NameOf(IAccessible* object, LONG child) {
        VARIANT id{};
        id.vt = VT_I4;
        id.lVal = child;
        BSTR name = nullptr;
        if (FAILED(object->get_accName(id, &name)) || !name) return {};
        Text text = FromWide(name, SysStringLen(name));
        SysFreeString(name);
        return text;
    }
};

TEST_F(Accessibility, EveryControlIsNamed) {
    struct Case {
        const char* control;
        const char16_t* name;
    };
    for (const Case c : {Case{"Check3", u"Tarih ve Saat Göster"}, Case{"Check1", u"Sistem açık kalma süresini Göster"},
                         Case{"Check4", u"Cpu Hızımı Göster"}, Case{"Check2", u"Bellek Kullanımını Göster"},
                         Case{"Check5", u"Kişisel Msj listesi"}, Case{"Option1", u"Müzik Simgesi"},
                         Case{"Option2", u"Office Simgesi"}, Case{"Option3", u"Oyun Simgesi"},
                         Case{"Text3", u"Msj Değişim Süresi:"}, Case{"List1", u"Kelime listesi"},
                         Case{"Text2", u"Yeni kelime"}, Case{"Text9", u"Şu anki kelime"},
                         Case{"Command1", u"Kişşisel İletileri Aktif Et (Güncelle)"}}) {
        IAccessible* object = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(app.Child(c.control), OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&object)),
                  S_OK)
            << c.control;
        EXPECT_EQ(NameOf(object, CHILDID_SELF), c.name) << c.control;
        object->Release();
    }
}

// A reader's walk of the window: AccessibleChildren on the client object,
// then each child asked for its role, name, state and place, as NVDA and
// Narrator do. Every child is an object of its own.
struct Heard {
    IAccessible* object;  // the child's own object
    long id;              // its child id in the client
    Text name;
    long role = 0, state = 0;
};

VARIANT Id(long id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

class ReaderWalk : public Accessibility {
protected:
    void SetUp() override {
        Accessibility::SetUp();
        ASSERT_EQ(AccessibleObjectFromWindow(app.Main(), OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&client)), S_OK);
        Walk();
    }
    void TearDown() override {
        for (Heard& h : heard) h.object->Release();
        if (client) client->Release();
        Accessibility::TearDown();
    }
    void Walk() {
        for (Heard& h : heard) h.object->Release();
        heard.clear();
        long count = 0, got = 0;
        ASSERT_EQ(client->get_accChildCount(&count), S_OK);
        std::vector<VARIANT> children(static_cast<std::size_t>(count));
        ASSERT_TRUE(SUCCEEDED(AccessibleChildren(client, 0, count, children.data(), &got)));
        ASSERT_EQ(got, count);
        for (long i = 0; i < got; ++i) {
            VARIANT& child = children[static_cast<std::size_t>(i)];
            Heard h{nullptr, i + 1, {}};
            ASSERT_EQ(child.vt, VT_DISPATCH) << "child " << i + 1;
            ASSERT_EQ(child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&h.object)), S_OK);
            VariantClear(&child);
            VARIANT role{}, state{};
            h.name = NameOf(h.object, CHILDID_SELF);
            if (SUCCEEDED(h.object->get_accRole(Id(CHILDID_SELF), &role)) && role.vt == VT_I4) h.role = role.lVal;
            if (SUCCEEDED(h.object->get_accState(Id(CHILDID_SELF), &state)) && state.vt == VT_I4) h.state = state.lVal;
            heard.push_back(h);
        }
    }
    const Heard* Find(const Text& name) const {
        for (const Heard& h : heard)
            if (h.name == name) return &h;
        return nullptr;
    }
    // Who an object is, as a reader tells objects apart: its name, role and place.
    static std::string Who(IAccessible* object) {
        VARIANT role{};
        long x = 0, y = 0, width = 0, height = 0;
        object->get_accRole(Id(CHILDID_SELF), &role);
        object->accLocation(&x, &y, &width, &height, Id(CHILDID_SELF));
        return ToUtf8(NameOf(object, CHILDID_SELF)) + ", role " + std::to_string(role.lVal) + ", " + std::to_string(x) + "," +
               std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
    }
    // ... of what a call handed back, which it lets go.
    static std::string Who(VARIANT& v) {
        std::string who = v.vt == VT_EMPTY ? "nothing" : "child id " + std::to_string(v.lVal);
        IAccessible* object = nullptr;
        if (v.vt == VT_DISPATCH && SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object)))) {
            who = Who(object);
            object->Release();
        }
        VariantClear(&v);
        return who;
    }
    IAccessible* client = nullptr;
    std::vector<Heard> heard;
};

TEST_F(ReaderWalk, EveryVisibleChildHasARoleAndAName) {
    std::size_t visible = 0;
    for (const Heard& h : heard) {
        if (h.state & STATE_SYSTEM_INVISIBLE) continue;
        ++visible;
        EXPECT_NE(h.role, 0) << ToUtf8(h.name);
        EXPECT_FALSE(h.name.empty()) << "role " << h.role;
    }
    EXPECT_GE(visible, 35u);  // 19 child windows and 16 labels
    struct Expected { const char16_t* name; long role; };
    const Text link = Text(u"Diğer Programlarım için ") + kWebHost;
    for (const Expected e : {Expected{u"Kişşisel İletileri Aktif Et (Güncelle)", ROLE_SYSTEM_PUSHBUTTON},
                             Expected{u"Aman Baydı Buda :)", ROLE_SYSTEM_PUSHBUTTON},
                             Expected{u"Kelimeyi Ekle", ROLE_SYSTEM_PUSHBUTTON}, Expected{u"Listeyi Sil", ROLE_SYSTEM_PUSHBUTTON},
                             Expected{u"Tarih ve Saat Göster", ROLE_SYSTEM_CHECKBUTTON},
                             Expected{u"Müzik Simgesi", ROLE_SYSTEM_RADIOBUTTON}, Expected{u"Kelime listesi", ROLE_SYSTEM_LIST},
                             Expected{u"Yeni kelime", ROLE_SYSTEM_TEXT}, Expected{u"Beni Gizle |", ROLE_SYSTEM_PUSHBUTTON},
                             Expected{u"Programı Kapatır", ROLE_SYSTEM_PUSHBUTTON}, Expected{link.c_str(), ROLE_SYSTEM_LINK}}) {
        const Heard* h = Find(e.name);
        ASSERT_NE(h, nullptr) << ToUtf8(e.name);
        EXPECT_EQ(h->role, e.role) << ToUtf8(e.name);
    }
}

// One row per child of the walk, which is the window's order: the child
// windows a user sees as they were made, then the labels as they are drawn.
// Each is where the window has it: a hit test at its middle finds it, its
// place is the window's own rectangle for it, its parent is the client, the
// next one's previous is itself, and a focusable one takes the keyboard focus.
TEST_F(ReaderWalk, EveryChildIsWhereTheWindowHasIt) {
    std::vector<const ControlSpec*> order;
    for (bool windows : {true, false})
        for (const ControlSpec& s : Form1Layout())
            if ((s.kind != Kind::Label && s.kind != Kind::Image && s.kind != Kind::Line) == windows &&
                (windows ? s.visible && !BeyondTheEdge(s) : s.kind == Kind::Label && !BeyondTheEdge(s)))
                order.push_back(&s);
    ASSERT_EQ(heard.size(), order.size());
    int focused = 0;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const ControlSpec& s = *order[i];
        IAccessible* const object = heard[i].object;
        SCOPED_TRACE(s.name);
        HWND window = app.Child(s.name);
        RECT r = app.LabelRect(s.name);
        if (window) GetWindowRect(window, &r);
        else MapWindowPoints(app.Main(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        long x = 0, y = 0, width = 0, height = 0;
        ASSERT_EQ(object->accLocation(&x, &y, &width, &height, Id(CHILDID_SELF)), S_OK);
        EXPECT_TRUE(x == r.left && y == r.top && width == r.right - r.left && height == r.bottom - r.top)
            << x << "," << y << " " << width << "x" << height;
        VARIANT hit{};
        EXPECT_EQ(client->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &hit), S_OK);
        EXPECT_EQ(Who(hit), Who(object));

        IDispatch* parent = nullptr;
        ASSERT_EQ(object->get_accParent(&parent), S_OK);
        IOleWindow* up = nullptr;
        HWND upWindow = nullptr;
        VARIANT upRole{};
        long upCount = 0;
        ASSERT_EQ(parent->QueryInterface(__uuidof(IOleWindow), reinterpret_cast<void**>(&up)), S_OK);
        up->GetWindow(&upWindow);
        up->Release();
        IAccessible* upObject = nullptr;
        ASSERT_EQ(parent->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&upObject)), S_OK);
        parent->Release();
        upObject->get_accRole(Id(CHILDID_SELF), &upRole);
        upObject->get_accChildCount(&upCount);
        upObject->Release();
        EXPECT_TRUE(upWindow == app.Main() && upRole.lVal == ROLE_SYSTEM_CLIENT && upCount == static_cast<long>(heard.size()));

        VARIANT next{};
        const HRESULT stepped = object->accNavigate(NAVDIR_NEXT, Id(CHILDID_SELF), &next);
        if (i + 1 == heard.size()) {
            EXPECT_EQ(stepped, S_FALSE);
        } else {
            EXPECT_EQ(stepped, S_OK);
            IAccessible* nextObject = nullptr;
            if (next.vt == VT_DISPATCH) next.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&nextObject));
            ASSERT_NE(nextObject, nullptr);
            VARIANT back{};
            EXPECT_EQ(nextObject->accNavigate(NAVDIR_PREVIOUS, Id(CHILDID_SELF), &back), S_OK);
            EXPECT_EQ(Who(nextObject), Who(heard[i + 1].object));
            EXPECT_EQ(Who(back), Who(object));
            nextObject->Release();
        }
        VariantClear(&next);

        if ((heard[i].state & STATE_SYSTEM_FOCUSABLE) && !(heard[i].state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE))) {
            EXPECT_EQ(object->accSelect(SELFLAG_TAKEFOCUS, Id(CHILDID_SELF)), S_OK);
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info);
            EXPECT_EQ(info.hwndFocus, window);
            ++focused;
        }
    }
    EXPECT_EQ(focused, 12);  // the boxes, the options and the four buttons that start enabled
    VARIANT first{}, last{};
    EXPECT_EQ(client->accNavigate(NAVDIR_FIRSTCHILD, Id(CHILDID_SELF), &first), S_OK);
    EXPECT_EQ(client->accNavigate(NAVDIR_LASTCHILD, Id(CHILDID_SELF), &last), S_OK);
    EXPECT_EQ(Who(first), Who(heard.front().object));
    EXPECT_EQ(Who(last), Who(heard.back().object));
}

// A reader told of changes, and when they came.
struct Told {
    DWORD event;
    HWND window;
    LONG object, child;
    bool operator==(const Told&) const = default;
};
std::vector<Told> g_told;
void CALLBACK OnTold(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    g_told.push_back({event, window, object, child});
}
long TimesTold(const Told& told) { return static_cast<long>(std::count(g_told.begin(), g_told.end(), told)); }
// Lets the reader's hook hear what comes for `ms` milliseconds.
void Listen(int ms) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
    for (MSG msg; GetTickCount64() < end;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
}

// The reader is told of every change to what it holds: a child window
// hidden and shown, controls enabled, the countdown's new text; and the ids
// it holds stay whatever changes.
TEST_F(ReaderWalk, TheWalkFollowsTheWindow) {
    const Heard* countdown = Find(u"10");
    ASSERT_NE(countdown, nullptr);
    const long countdownId = countdown->id;
    g_told.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE, nullptr, OnTold, app.Proc().Id(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // Every child keeps its id while a control is hidden and shown: the
    // hidden one stays in the walk, read as invisible.
    std::vector<std::string> ids;
    for (const Heard& h : heard) ids.push_back(Who(h.object));
    HWND button = app.Child("Command2");
    ShowWindow(button, SW_HIDE);
    app.Sync();
    Walk();
    const Heard* hidden = Find(u"Aman Baydı Buda :)");
    ASSERT_NE(hidden, nullptr);
    EXPECT_NE(hidden->state & STATE_SYSTEM_INVISIBLE, 0);
    ASSERT_EQ(heard.size(), ids.size());
    for (std::size_t i = 0; i < heard.size(); ++i) {
        if (&heard[i] != hidden) {
            EXPECT_EQ(Who(heard[i].object), ids[i]);
        }
    }
    ShowWindow(button, SW_SHOW);
    app.Click("Check5");
    app.Click("Command1");
    Listen(2600);
    UnhookWinEvent(hook);
    Walk();
    for (std::size_t i = 0; i < heard.size() && i < ids.size(); ++i) {
        if (heard[i].id != countdownId) {
            EXPECT_EQ(Who(heard[i].object), ids[i]);
        }
    }
    EXPECT_EQ(Find(u"Aman Baydı Buda :)")->state & STATE_SYSTEM_INVISIBLE, 0);
    const Heard* add = Find(u"Kelimeyi Ekle");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->state & STATE_SYSTEM_UNAVAILABLE, 0);
    // Counted down at least twice since the start (a busy machine may have
    // counted further), and read by the reader as the window shows it.
    const Text now = heard[static_cast<std::size_t>(countdownId - 1)].name;
    EXPECT_TRUE(now.size() == 1 && now[0] >= u'1' && now[0] <= u'8') << ToUtf8(now);
    EXPECT_GE(TimesTold({EVENT_OBJECT_HIDE, button, OBJID_CLIENT, CHILDID_SELF}), 1);
    EXPECT_GE(TimesTold({EVENT_OBJECT_SHOW, button, OBJID_CLIENT, CHILDID_SELF}), 1);
    EXPECT_GE(TimesTold({EVENT_OBJECT_STATECHANGE, app.Child("Command3"), OBJID_CLIENT, CHILDID_SELF}), 1);
    EXPECT_GE(TimesTold({EVENT_OBJECT_NAMECHANGE, app.Main(), OBJID_CLIENT, countdownId}), 2);
}

// The default actions answer first and act after: "Beni Gizle |" hides the
// window, "X" ends the program once the reader's call has returned. Asked by
// child id, the client passes the call to that child.
TEST_F(ReaderWalk, DefaultActionsAnswerThenAct) {
    const Heard* hide = Find(u"Beni Gizle |");
    const Heard* close = Find(u"Programı Kapatır");
    ASSERT_TRUE(hide && close);
    EXPECT_EQ(client->accDoDefaultAction(Id(hide->id)), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(app.Main()); }, 3000));
    EXPECT_TRUE(TrayIconShown(app.Child("picSystemTray")));
    EXPECT_EQ(close->object->accDoDefaultAction(Id(CHILDID_SELF)), S_OK);
    EXPECT_TRUE(app.Proc().Exited(5000));
}

// A reader's requests that nobody claims (WM_GETOBJECT from any process)
// are answered with the objects kept: Velkora's memory after 1,000 is its
// memory after 10, within a small constant (each made objects of its own
// before: 400 KB). What each answer leaves until a reader claims it is the
// system's: LresultFromObject, the one documented answer, marshals the object
// afresh every time (under Wine a file mapping, counted here, and a global
// atom each; the atoms outlive the process and run out at about 16,000 for
// every program of the session, so this asks no more than it must).
TEST(EndToEndReader, UnclaimedRequestsLeaveNothingBehind) {
    VelkoraApp app;
    ASSERT_TRUE(app.Start(L"--reader-requests"));
    const unsigned long hostPid = host::UnderWine() ? host::Pid("--reader-requests") : 0;
    auto ask = [&](int times) {
        for (int i = 0; i < times; ++i) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(app.Main(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT), SMTO_BLOCK, 5000, &result);
        }
        app.Sync();
    };
    ask(10);
    const long handles = host::HandleCount(app.Proc().Id());
    const double memory = hostPid ? host::RssAnonKb(hostPid) : 0;
    ask(1000);
    const long handlesAfter = host::HandleCount(app.Proc().Id());
    const double memoryAfter = hostPid ? host::RssAnonKb(hostPid) : 0;
    std::printf("handles %ld, then %ld; memory %.0f KB, then %.0f KB\n", handles, handlesAfter, memory, memoryAfter);
    EXPECT_LE(memoryAfter - memory, 150.0);
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.Proc().Exited(5000));
}

// The messages that say colours or contrast may have changed (from another
// process here, as the system sends them) change nothing else: nothing is
// published, typed or ticked, and a reader hears no new name.
TEST_F(EndToEnd, AColourChangeRepaintsAndChangesNothingElse) {
    app.Click("Check5");
    const Text typed = app.TextOf("Text3");
    g_told.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnTold, app.Proc().Id(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    const wchar_t immersive[] = L"ImmersiveColorSet";
    for (int round = 0; round < 20; ++round) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(app.Main(), WM_SYSCOLORCHANGE, 0, 0, SMTO_BLOCK, 3000, &result);
        SendMessageTimeoutW(app.Main(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_BLOCK, 3000, &result);
        SendMessageTimeoutW(app.Main(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(immersive), SMTO_BLOCK, 3000, &result);
        SendMessageTimeoutW(app.Main(), WM_THEMECHANGED, 0, 0, SMTO_BLOCK, 3000, &result);
    }
    Listen(500);
    UnhookWinEvent(hook);
    EXPECT_EQ(receiver.Count(), 0u);
    EXPECT_EQ(SendMessageW(app.Child("Check5"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(app.TextOf("Text3"), typed);
    EXPECT_TRUE(g_told.empty());
    EXPECT_FALSE(app.Proc().Exited(0));
}

HWND MessageBoxOf(DWORD process) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == process && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// While a message box is up the window is disabled: a reader's default
// action and a posted click on "Beni Gizle |" do nothing, as a hand's click
// cannot reach it, and the reader sees the label unavailable, then available
// again once the box is gone.
TEST_F(ReaderWalk, ADisabledWindowTakesNoAction) {
    const Heard* hide = Find(u"Beni Gizle |");
    ASSERT_NE(hide, nullptr);
    auto unavailable = [&] {
        VARIANT state{};
        hide->object->get_accState(Id(CHILDID_SELF), &state);
        return (state.lVal & STATE_SYSTEM_UNAVAILABLE) != 0;
    };
    g_told.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, OnTold, app.Proc().Id(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    app.Click("Check5");
    PostMessageW(app.Child("Command3"), BM_CLICK, 0, 0);  // an empty entry is refused in a message box
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(app.Proc().Id()) && !IsWindowEnabled(app.Main()); }, 5000));
    EXPECT_TRUE(unavailable());
    EXPECT_NE(hide->object->accDoDefaultAction(Id(CHILDID_SELF)), S_OK);
    EXPECT_NE(client->accDoDefaultAction(Id(hide->id)), S_OK);
    const RECT r = app.LabelRect("Label14");
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(app.Main(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(app.Main(), WM_LBUTTONUP, 0, at);
    Sleep(500);
    app.Sync();
    EXPECT_TRUE(IsWindowVisible(app.Main()));
    PostMessageW(MessageBoxOf(app.Proc().Id()), WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.Main()) != FALSE; }, 5000));
    EXPECT_FALSE(unavailable());
    Listen(300);
    if (hook) UnhookWinEvent(hook);
    EXPECT_GE(TimesTold({EVENT_OBJECT_STATECHANGE, app.Main(), OBJID_CLIENT, hide->id}), 2);  // disabled, enabled
    EXPECT_EQ(hide->object->accDoDefaultAction(Id(CHILDID_SELF)), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(app.Main()); }, 3000));
}

// The slowest answer to WM_NULL over `ms` milliseconds of asking every 100 ms.
ULONGLONG SlowestAnswer(HWND window, int ms) {
    ULONGLONG slowest = 0;
    for (const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms); GetTickCount64() < end; Sleep(100)) {
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result)) return 5000;
        slowest = std::max(slowest, GetTickCount64() - start);
    }
    return slowest;
}

// A messenger that takes 3 s over each record, one that hangs, and one that
// answers at once: the window and the healthy one go on at their pace, and
// the slow one's last record is the last one published. The bounds are a
// tenth of what waiting on the slow one would take: the window answers in
// milliseconds and the healthy one's records come a second apart.
TEST(EndToEndSlow, SlowAndHungMessengersHoldUpNeitherTheWindowNorAnother) {
    Receiver slow, hung, healthy;
    ASSERT_TRUE(slow.Start(L"--stall 3000"));
    ASSERT_TRUE(hung.Start(L"--stall 60000"));
    ASSERT_TRUE(healthy.Start());
    VelkoraApp app;
    ASSERT_TRUE(app.Start());
    app.Click("Check3");
    app.Click("Command1");
    EXPECT_LT(SlowestAnswer(app.Main(), 6000), 300u);
    const auto records = healthy.Records();
    ASSERT_GE(records.size(), 5u);
    long long longestGap = 0;
    for (std::size_t i = 1; i < records.size(); ++i)
        longestGap = std::max(longestGap, std::stoll(records[i]["us"]) - std::stoll(records[i - 1]["us"]));
    EXPECT_LT(longestGap, 2000000);
    EXPECT_GE(slow.Count(), 2u);

    app.Click("Command2");
    ASSERT_TRUE(WaitUntil([&] { return healthy.Records().back()["show"] == "0"; }, 3000));
    ASSERT_TRUE(WaitUntil([&] { return slow.Records().back()["show"] == "0"; }, 15000));
    Sleep(3000);  // nothing older follows it
    EXPECT_EQ(slow.Records().back()["show"], "0");
    hung.Proc().Kill();
}

// Twelve receiving threads that hang in their first record, as any local
// program can make them, beside the healthy messenger: it goes on getting a
// record a second, and the turn-off at once. (Before one worker was kept
// for messengers that answer, it got a record every 1 to 4 s.)
TEST(EndToEndSlow, TwelveHungReceivingThreadsHoldUpNoHealthyMessenger) {
    Receiver healthy, hung;
    ASSERT_TRUE(healthy.Start());
    VelkoraApp app;
    ASSERT_TRUE(app.Start());
    app.Click("Check2");
    app.Click("Command1");
    ASSERT_TRUE(healthy.WaitForCount(1, 3000));
    ASSERT_TRUE(hung.Start(L"--windows 12 --threads --stall 600000"));
    const std::size_t before = healthy.Count();
    Sleep(10000);
    const auto records = healthy.Records();
    EXPECT_GE(records.size() - before, 7u);
    long long longestGap = 0;
    for (std::size_t i = before; i < records.size(); ++i)
        longestGap = std::max(longestGap, std::stoll(records[i]["us"]) - std::stoll(records[i - 1]["us"]));
    EXPECT_LT(longestGap, 2500000);
    app.Click("Command2");
    EXPECT_TRUE(WaitUntil([&] { return healthy.Records().back()["show"] == "0"; }, 2000));
    hung.Proc().Kill();
}

// "X" right after the turn-off: the turn-off still reaches the messenger.
TEST_F(EndToEnd, ATurnOffJustBeforeCloseIsDelivered) {
    Receiver slow;
    ASSERT_TRUE(slow.Start(L"--stall 800"));
    app.Click("Check2");
    app.Click("Command1");
    ASSERT_TRUE(receiver.WaitForCount(1, 3000));
    ASSERT_TRUE(slow.WaitForCount(1, 3000));
    app.Click("Command2");
    app.ClickLabel("Label71");
    ASSERT_TRUE(app.Proc().Exited(5000));
    EXPECT_EQ(receiver.Records().back()["show"], "0");
    EXPECT_EQ(slow.Records().back()["show"], "0");
}

// Messengers that answer late: one slower than a send may wait (2.5 s over
// each record), one hung for 9 s while the turn-off is pressed. Once each
// answers again, its last record is the turn-off, byte for byte the one the
// healthy messenger got last.
std::string LastRaw(const Receiver& r) {
    const auto records = r.Records();
    return records.empty() ? std::string() : records.back()["raw"];
}

DWORD ReceiverThread(Receiver& r) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kMessengerWindowClass, nullptr)) != nullptr;) {
        DWORD process = 0;
        const DWORD thread = GetWindowThreadProcessId(w, &process);
        if (process == r.Proc().Id()) return thread;
    }
    return 0;
}

TEST(EndToEndLate, LateMessengersEndOnTheTurnOff) {
    for (const int turnOffMs : {6000, 6800}) {
        Receiver healthy, late, hung;
        ASSERT_TRUE(healthy.Start(L"--raw"));
        ASSERT_TRUE(late.Start(L"--raw --stall 2500"));
        ASSERT_TRUE(hung.Start(L"--raw"));
        VelkoraApp app;
        ASSERT_TRUE(app.Start());
        app.Click("Check2");
        const ULONGLONG activated = GetTickCount64();
        app.Click("Command1");
        ASSERT_TRUE(hung.WaitForCount(1, 3000));
        // Hung from 3 s after the activation to 12 s.
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, ReceiverThread(hung));
        ASSERT_NE(thread, nullptr);
        Sleep(static_cast<DWORD>(activated + 3000 - std::min(GetTickCount64(), activated + 3000)));
        SuspendThread(thread);
        Sleep(static_cast<DWORD>(activated + turnOffMs - std::min(GetTickCount64(), activated + turnOffMs)));
        app.Click("Command2");
        Sleep(static_cast<DWORD>(activated + 12000 - std::min(GetTickCount64(), activated + 12000)));
        ResumeThread(thread);
        CloseHandle(thread);
        ASSERT_TRUE(WaitUntil([&] { return healthy.Records().back()["show"] == "0"; }, 3000));
        const std::string turnOff = LastRaw(healthy);
        // The late one needs a try or two after its current record, the hung
        // one its next try after it answers again (5 s apart at most).
        EXPECT_TRUE(WaitUntil([&] { return LastRaw(late) == turnOff; }, 20000)) << turnOffMs;
        EXPECT_TRUE(WaitUntil([&] { return LastRaw(hung) == turnOff; }, 20000)) << turnOffMs;
    }
}

// "X" while a slow messenger is being served, then a second start 0, 150 or
// 600 ms later, or with the copy's thread stopped meanwhile (-1: the click
// still waits in its queue when the start's request comes, and a request
// is handled before input): the first copy ends and exactly one copy runs,
// its window shown.
// Velkora's windows are made managed ones for it: under Wine a managed window
// takes about 2 s to go, as with a desktop's window manager, which is when a
// second start may meet a copy that is ending (Wine has no such wait without).
TEST(EndToEndStart, ASecondStartJustAfterCloseLeavesOneCopyRunning) {
    const wchar_t* const kAppKey = L"Software\\Wine\\AppDefaults\\Velkora.exe";
    struct Managed {
        const wchar_t* key;
        ~Managed() { RegDeleteTreeW(HKEY_CURRENT_USER, key); }
    } managed{kAppKey};
    RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kAppKey) + L"\\X11 Driver").c_str(), L"Managed", REG_SZ, L"Y", 4);
    Receiver slow;
    ASSERT_TRUE(slow.Start(L"--stall 1500"));
    for (const int delayMs : {0, 150, 600, -1}) {
        VelkoraApp app;
        ASSERT_TRUE(app.Start());
        app.Click("Check2");
        app.Click("Command1");
        ASSERT_TRUE(slow.WaitForCount(1, 3000));
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(app.Main(), nullptr));
        if (delayMs < 0) SuspendThread(thread);
        input::Click(app.ScreenPoint("Label71"));
        Sleep(static_cast<DWORD>(std::max(delayMs, 0)));
        Process second;
        ASSERT_TRUE(second.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
        if (delayMs < 0) {
            Sleep(1500);
            ResumeThread(thread);
        }
        CloseHandle(thread);
        ASSERT_TRUE(app.Proc().Exited(5000)) << delayMs;
        HWND shown = nullptr;
        const auto* className = reinterpret_cast<const wchar_t*>(kMainWindowClass);
        ASSERT_TRUE(WaitUntil([&] { return (shown = FindWindowW(className, nullptr)) && IsWindowVisible(shown); }, 10000)) << delayMs;
        DWORD owner = 0;
        GetWindowThreadProcessId(shown, &owner);
        EXPECT_EQ(owner, second.Id()) << delayMs;
        EXPECT_FALSE(second.Exited(0)) << delayMs;
        PostMessageW(shown, WM_CLOSE, 0, 0);
        EXPECT_TRUE(second.Exited(5000));
    }
}

// A start that finds the mark of a running copy but no window waits for the
// mark: it never runs beside the copy that holds it, and a later start hands
// over to it. Here this test holds the mark for 6 s, as a copy that makes
// its window slowly would; then for good, and the start gives up after 10 s.
TEST(EndToEndStart, AStartWaitsForTheMarkOfACopyWithoutAWindow) {
    HANDLE mark = CreateMutexW(nullptr, TRUE, L"Local\\Velkora.OneCopy");
    ASSERT_NE(mark, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    Process first, second;
    ASSERT_TRUE(first.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
    Sleep(6000);
    const auto* className = reinterpret_cast<const wchar_t*>(kMainWindowClass);
    EXPECT_EQ(FindWindowW(className, nullptr), nullptr);
    ReleaseMutex(mark);
    CloseHandle(mark);
    HWND shown = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (shown = FindWindowW(className, nullptr)) && IsWindowVisible(shown); }, 10000));
    ASSERT_TRUE(second.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
    ASSERT_TRUE(second.Exited(10000));
    EXPECT_EQ(second.ExitCode(), 0u);
    int windows = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr));) ++windows;
    EXPECT_EQ(windows, 1);
    PostMessageW(shown, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.Exited(5000));
    // A holder of the mark that never makes a window: a start waits 10 s for one, then ends.
    mark = CreateMutexW(nullptr, TRUE, L"Local\\Velkora.OneCopy");
    Process third;
    const ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(third.Start(L"\"" + BinDir() + L"\\Velkora.exe\""));
    EXPECT_TRUE(third.Exited(15000));
    EXPECT_GE(GetTickCount64() - started, 9000u);
    EXPECT_EQ(third.ExitCode(), 0u);
    EXPECT_EQ(FindWindowW(className, nullptr), nullptr);
    ReleaseMutex(mark);
    CloseHandle(mark);
}

// A right or middle press on the labels over the banner starts no move: the
// window takes no capture while the button is held, and stays put when the
// pointer moves. Real input, so that the button's state is what a hand gives.
TEST_F(EndToEnd, PressesOnTheTitleLabelsStartNoMove) {
    RECT before, after;
    GetWindowRect(app.Main(), &before);
    struct Case { const char* label; DWORD down, up; };
    for (const Case& c : {Case{"Label14", MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                          Case{"Label71", MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
                          Case{"Label14", MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP}}) {
        const POINT at = app.ScreenPoint(c.label);
        input::MoveTo(at);
        input::Button(at, c.down);
        input::MoveTo({at.x - 30, at.y + 20});
        Sleep(200);
        app.Sync();
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info);
        EXPECT_EQ(info.hwndCapture, nullptr) << c.label;
        input::Button({at.x - 30, at.y + 20}, c.up);
        Sleep(200);
        GetWindowRect(app.Main(), &after);
        EXPECT_EQ(before.left, after.left) << c.label;
        EXPECT_EQ(before.top, after.top) << c.label;
        EXPECT_TRUE(IsWindowVisible(app.Main()));
    }
}

TEST_F(EndToEnd, ControlsSitAtTheirPlacesInTabOrder) {
    std::vector<HWND> expectedTabOrder;
    for (const ControlSpec& s : Form1Layout()) {
        HWND child = app.Child(s.name);
        if (!child) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, app.Main(), reinterpret_cast<POINT*>(&r), 2);
        const int dpi = app.Dpi();
        EXPECT_EQ(r.left, MulDiv(s.left, dpi, 1440)) << s.name;
        EXPECT_EQ(r.top, MulDiv(s.top, dpi, 1440)) << s.name;
        EXPECT_EQ(r.right, MulDiv(s.left + s.width, dpi, 1440)) << s.name;
        EXPECT_EQ(r.bottom, MulDiv(s.top + s.height, dpi, 1440)) << s.name;
        if (s.visible && s.enabled && s.kind != Kind::PictureBox) expectedTabOrder.push_back(child);
    }
    RECT client;
    GetClientRect(app.Main(), &client);
    EXPECT_EQ(client.right, MulDiv(kFormWidthTwips, app.Dpi(), 1440));
    EXPECT_EQ(client.bottom, MulDiv(kFormHeightTwips, app.Dpi(), 1440));

    // Option buttons form one group: only the selected one is a tab stop.
    std::vector<HWND> tabOrder;
    HWND first = GetNextDlgTabItem(app.Main(), nullptr, FALSE);
    for (HWND w = first; w && tabOrder.size() < 64;) {
        tabOrder.push_back(w);
        w = GetNextDlgTabItem(app.Main(), w, FALSE);
        if (w == first) break;
    }
    std::vector<HWND> expected;
    for (HWND w : expectedTabOrder)
        if (w != app.Child("Option3") && w != app.Child("Option2")) expected.push_back(w);
    EXPECT_EQ(first, app.Child("Check3"));
    EXPECT_EQ(tabOrder, expected);

    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info);
    EXPECT_EQ(info.hwndFocus, app.Child("Check3"));
}

TEST_F(EndToEnd, DraggingTheBannerMovesTheWindow) {
    RECT before;
    GetWindowRect(app.Main(), &before);
    POINT grip{MulDiv(200, app.Dpi(), 96), MulDiv(15, app.Dpi(), 96)};  // on the banner, clear of the labels
    ClientToScreen(app.Main(), &grip);
    auto input = [](DWORD flags, LONG x, LONG y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        SendInput(1, &in, sizeof in);
        Sleep(150);
    };
    input(0, grip.x, grip.y);
    input(MOUSEEVENTF_LEFTDOWN, grip.x, grip.y);
    input(0, grip.x + 20, grip.y + 10);
    input(0, grip.x + 40, grip.y + 25);
    input(MOUSEEVENTF_LEFTUP, grip.x + 40, grip.y + 25);
    app.Sync();
    RECT after;
    GetWindowRect(app.Main(), &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 25);
}

// The screen's DPI as the next process reads it (Wine reads it when a
// process starts); put back as it was when this goes.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~ScreenDpi() {
        if (had_) RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else RegDeleteValueW(key_, L"LogPixels");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

// Wine 10 shows a process the windows of one started at another DPI scaled to
// its own, so these tests measure from a run of this program of their own:
// "system", started at the screen's DPI then; "pm", aware of each monitor's
// DPI from its start, which sees every window in the screen's own pixels.
std::wstring DpiRun() {
    wchar_t mode[16] = {};
    GetEnvironmentVariableW(L"VELKORA_DPI_RUN", mode, 16);
    return mode;
}

// How the "pm" run is aware of the DPI: of each monitor's (version 2, then
// 1), else of the system's, where the system knows no more (Wine 8, whose
// windows all share one DPI and are never scaled for another process).
const char* const kAwareness = [] {
    if (DpiRun() != L"pm") return "";
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (set && set(reinterpret_cast<HANDLE>(-4))) return "per monitor, version 2";  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (set && set(reinterpret_cast<HANDLE>(-3))) return "per monitor";
    SetProcessDPIAware();
    return "system";
}();

// Runs `test` again in a process of its own in the given mode; its exit code.
DWORD RunAgain(const wchar_t* test, const wchar_t* mode) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + test;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    DWORD result = 1;
    SetEnvironmentVariableW(L"VELKORA_DPI_RUN", mode);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        GetExitCodeProcess(pi.hProcess, &result);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    SetEnvironmentVariableW(L"VELKORA_DPI_RUN", nullptr);
    return result;
}

TEST(EndToEndDpi, TheWindowScalesWithTheScreensDpi) {
    if (DpiRun() != L"system") {
        const ScreenDpi screen(120);
        EXPECT_EQ(RunAgain(L"EndToEndDpi.TheWindowScalesWithTheScreensDpi", L"system"), 0u) << "the run at 120 DPI failed";
        return;
    }
    VelkoraApp app;
    ASSERT_TRUE(app.Start());
    RECT client;
    GetClientRect(app.Main(), &client);
    EXPECT_EQ(client.right, 505);   // 6060 twips at 120 dots per inch
    EXPECT_EQ(client.bottom, 714);  // 8565 twips
    RECT r;
    GetWindowRect(app.Child("Command1"), &r);
    MapWindowPoints(nullptr, app.Main(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);   // 240 twips
    EXPECT_EQ(r.top, 620);   // 7440 twips
    EXPECT_EQ(r.right - r.left, 471);  // 5655 twips
}

// A control's place in client pixels at `dpi`, from the window's description.
RECT PlaceAt(const ControlSpec& s, int dpi) {
    return RECT{MulDiv(s.left, dpi, 1440), MulDiv(s.top, dpi, 1440), MulDiv(s.left + s.width, dpi, 1440),
                MulDiv(s.top + s.height, dpi, 1440)};
}

// What a window looks like: its client area's size and pixels, taken from the screen.
struct Shot {
    SIZE size{};
    std::vector<DWORD> pixels;
};
Shot Take(HWND window) {
    Shot shot;
    RECT r;
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    shot.size = {r.right, r.bottom};
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    shot.pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + r.right * r.bottom);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}
// How many pixels of two shots of one size differ; every one when the sizes do.
std::size_t Differing(const Shot& a, const Shot& b) {
    if (a.size.cx != b.size.cx || a.size.cy != b.size.cy) return std::max(a.pixels.size(), b.pixels.size());
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
    return n;
}

// Tells the window what Windows tells a per-monitor aware window that moved
// to a monitor of `dpi`: WM_DPICHANGED with the place suggested for it there,
// which the system puts in the window's own memory.
void TellDpi(VelkoraApp& app, int dpi) {
    RECT place;
    GetWindowRect(app.Main(), &place);
    const int width = MulDiv(kFormWidthTwips, dpi, 1440), height = MulDiv(kFormHeightTwips, dpi, 1440);
    // On the screen whole, as the system keeps a window on its new monitor.
    place.left = std::max(0L, std::min(place.left, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN) - width)));
    place.top = std::max(0L, std::min(place.top, static_cast<LONG>(GetSystemMetrics(SM_CYSCREEN) - height)));
    place.right = place.left + width;
    place.bottom = place.top + height;
    HANDLE process = app.Proc().Handle();
    void* remote = VirtualAllocEx(process, nullptr, sizeof place, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(WriteProcessMemory(process, remote, &place, sizeof place, nullptr));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(app.Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 5000, &result);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    app.Sync();
}

// Where a reader finds each child of the window, in client pixels.
std::vector<RECT> ReaderPlaces(HWND window) {
    std::vector<RECT> places;
    IAccessible* client = nullptr;
    if (AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&client)) != S_OK) return places;
    long count = 0, got = 0;
    client->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<std::size_t>(std::max(count, 1L)));
    AccessibleChildren(client, 0, count, children.data(), &got);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    for (long i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<std::size_t>(i)];
        IAccessible* object = nullptr;
        if (child.vt == VT_DISPATCH && SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object)))) {
            long x = 0, y = 0, w = 0, h = 0;
            VARIANT self{};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            object->accLocation(&x, &y, &w, &h, self);
            places.push_back(RECT{x - origin.x, y - origin.y, x - origin.x + w, y - origin.y + h});
            object->Release();
        }
        VariantClear(&child);
    }
    client->Release();
    return places;
}

// Moved to a monitor of 144 DPI, the window lays itself out as one started
// there: 606 by 857, every child window and painted control at 1.5 times its
// place, the reader's places with them; moved back, it is as it was, to the
// pixel. Measured from a per-monitor aware run, in the screen's pixels.
TEST(EndToEndDpi, ADpiChangeLaysTheWindowOutAgain) {
    if (DpiRun() != L"pm") {
        EXPECT_EQ(RunAgain(L"EndToEndDpi.ADpiChangeLaysTheWindowOutAgain", L"pm"), 0u) << "the per-monitor aware run failed";
        return;
    }
    std::printf("measured from a run aware of the DPI %s\n", kAwareness);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the reader's objects
    if (SystemDpi() != 96) GTEST_SKIP() << "measured from a screen of 96 DPI";
    Shot moved;
    {
        VelkoraApp app;
        ASSERT_TRUE(app.Start());
        app.Sync();
        Sleep(500);
        const Shot before = Take(app.Main());
        const std::vector<RECT> readerBefore = ReaderPlaces(app.Main());
        TellDpi(app, 144);
        RECT client;
        GetClientRect(app.Main(), &client);
        EXPECT_NEAR(client.right, 606, 1);
        EXPECT_NEAR(client.bottom, 857, 1);
        std::vector<RECT> painted;
        for (const ControlSpec& s : Form1Layout()) {
            const RECT expected = PlaceAt(s, 144);
            if (HWND child = app.Child(s.name); child && s.kind != Kind::Label) {
                RECT r;
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, app.Main(), reinterpret_cast<POINT*>(&r), 2);
                EXPECT_TRUE(EqualRect(&r, &expected)) << s.name << " at " << r.left << "," << r.top << " " << r.right - r.left
                                                       << "x" << r.bottom - r.top;
            } else if (s.kind == Kind::Label && !BeyondTheEdge(s)) {
                painted.push_back(expected);
            }
        }
        // Every painted label where a reader finds it; every child at 1.5 times its place.
        const std::vector<RECT> reader = ReaderPlaces(app.Main());
        ASSERT_EQ(reader.size(), readerBefore.size());
        ASSERT_EQ(reader.size(), 35u);
        for (const RECT& expected : painted)
            EXPECT_TRUE(std::any_of(reader.begin(), reader.end(), [&](const RECT& r) { return EqualRect(&r, &expected); }))
                << expected.left << "," << expected.top << " " << expected.right << "," << expected.bottom;
        for (std::size_t i = 0; i < reader.size(); ++i)
            EXPECT_NEAR(reader[i].left, readerBefore[i].left * 3 / 2, 2) << "reader's child " << i + 1;
        Sleep(500);
        moved = Take(app.Main());

        TellDpi(app, 96);
        GetClientRect(app.Main(), &client);
        EXPECT_EQ(client.right, 404);
        EXPECT_EQ(client.bottom, 571);
        const std::vector<RECT> readerAfter = ReaderPlaces(app.Main());
        EXPECT_TRUE(std::equal(readerAfter.begin(), readerAfter.end(), readerBefore.begin(), readerBefore.end(),
                               [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }));
        Sleep(500);
        EXPECT_EQ(Differing(Take(app.Main()), before), 0u) << "moved back, the window is as it was";
        PostMessageW(app.Main(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(app.Proc().Exited(5000));
    }
    // Started at 144 DPI: the window looks as the one moved there. Wine 10
    // keeps its monitor at the DPI the session began with, whatever a later
    // process reads as the system's; a window there is laid out at its
    // monitor's DPI, as Windows asks of a window aware of each monitor.
    const ScreenDpi screen(144);
    VelkoraApp started;
    ASSERT_TRUE(started.Start());
    started.Sync();
    Sleep(500);
    const Shot there = Take(started.Main());
    // Only a run aware of each monitor is told another window's own DPI.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto dpiFor = std::string(kAwareness) == "system" ? nullptr : reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (const int monitor = dpiFor ? static_cast<int>(dpiFor(started.Main())) : 144; monitor != 144) {
        std::printf("the monitor stays at %d DPI: the window started is laid out at it\n", monitor);
        EXPECT_EQ(there.size.cx, MulDiv(kFormWidthTwips, monitor, 1440));
        EXPECT_EQ(there.size.cy, MulDiv(kFormHeightTwips, monitor, 1440));
        return;
    }
    const std::size_t differing = Differing(there, moved);
    std::printf("started at 144 DPI and moved there: %zu of %zu pixels differ\n", differing, there.pixels.size());
    EXPECT_LT(differing, there.pixels.size() / 20) << "at most one pixel in twenty";
}

// WM_DPICHANGED from another process is input: whatever DPI and whatever
// lParam it carries, Velkora runs on, its window whole at a DPI a monitor
// can have (the one asked for when there is such a monitor, else as it
// was), on the monitor's work area. Measured from a per-monitor aware run.
TEST(EndToEndDpi, ADpiChangeFromAnotherProcessIsTakenAsInput) {
    if (DpiRun() != L"pm") {
        EXPECT_EQ(RunAgain(L"EndToEndDpi.ADpiChangeFromAnotherProcessIsTakenAsInput", L"pm"), 0u) << "the per-monitor aware run failed";
        return;
    }
    if (SystemDpi() != 96) GTEST_SKIP() << "measured from a screen of 96 DPI";
    struct Case {
        const char* what;
        int dpi;
        LPARAM pointer;  // 0 for none, a bogus one, or -1: a rectangle in Velkora's memory
        RECT rect;
        int laidOutAt;
    };
    const Case cases[] = {
        {"144 without a rectangle", 144, 0, {}, 144},
        {"8000 without a rectangle", 8000, 0, {}, 96},
        {"65535 with a rectangle", 65535, -1, {0, 0, 40000, 40000}, 96},
        {"120 pointing nowhere", 120, 0x10, {}, 120},
        {"144 off every screen", 144, -1, {50000, 50000, 50606, 50857}, 144},
        {"144 huge", 144, -1, {-100000, -100000, 100000, 100000}, 144},
        {"120 inverted", 120, -1, {900, 700, 10, 20}, 120},
        {"144 empty", 144, -1, {300, 200, 300, 200}, 144},
    };
    VelkoraApp app;
    ASSERT_TRUE(app.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LPARAM lParam = c.pointer;
        void* remote = nullptr;
        if (c.pointer == -1) {
            remote = VirtualAllocEx(app.Proc().Handle(), nullptr, sizeof c.rect, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
            ASSERT_NE(remote, nullptr);
            ASSERT_TRUE(WriteProcessMemory(app.Proc().Handle(), remote, &c.rect, sizeof c.rect, nullptr));
            lParam = reinterpret_cast<LPARAM>(remote);
        }
        DWORD_PTR result = 0;
        SendMessageTimeoutW(app.Main(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), lParam, SMTO_BLOCK, 10000, &result);
        if (remote) VirtualFreeEx(app.Proc().Handle(), remote, 0, MEM_RELEASE);
        ASSERT_FALSE(app.Proc().Exited(0));
        app.Sync();
        RECT client{}, window{};
        GetClientRect(app.Main(), &client);
        GetWindowRect(app.Main(), &window);
        EXPECT_EQ(client.right, MulDiv(kFormWidthTwips, c.laidOutAt, 1440));
        EXPECT_EQ(client.bottom, MulDiv(kFormHeightTwips, c.laidOutAt, 1440));
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(app.Main(), MONITOR_DEFAULTTONEAREST), &monitor);
        RECT inside{};
        IntersectRect(&inside, &window, &monitor.rcWork);
        EXPECT_TRUE(EqualRect(&inside, &window)) << window.left << "," << window.top << " " << window.right << "," << window.bottom;
        TellDpi(app, 96);
    }
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.Proc().Exited(5000));
}

// A right-button move of the banner that meets a monitor of 144 DPI midway
// (WM_DPICHANGED comes while the button is held): the pointer stays over the
// same point of the banner, at the new scale, and the move goes on.
TEST(EndToEndDpi, AMoveAcrossADpiChangeKeepsThePointerOnTheBanner) {
    if (DpiRun() != L"pm") {
        EXPECT_EQ(RunAgain(L"EndToEndDpi.AMoveAcrossADpiChangeKeepsThePointerOnTheBanner", L"pm"), 0u) << "the per-monitor aware run failed";
        return;
    }
    if (SystemDpi() != 96) GTEST_SKIP() << "measured from a screen of 96 DPI";
    VelkoraApp app;
    ASSERT_TRUE(app.Start());
    RECT start;
    GetWindowRect(app.Main(), &start);
    POINT grip{start.left + 100, start.top + 16};  // on the banner, clear of the labels
    input::MoveTo(grip);
    input::Button(grip, MOUSEEVENTF_RIGHTDOWN);
    input::MoveTo({grip.x + 20, grip.y + 10});
    Sleep(200);
    app.Sync();
    TellDpi(app, 144);
    input::MoveTo({grip.x + 40, grip.y + 20});
    Sleep(200);
    app.Sync();
    POINT pointer;
    GetCursorPos(&pointer);
    RECT moved;
    GetWindowRect(app.Main(), &moved);
    input::Button(pointer, MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(moved.right - moved.left, 606);
    EXPECT_NEAR(pointer.x - moved.left, 150, 1);
    EXPECT_NEAR(pointer.y - moved.top, 24, 1);
    TellDpi(app, 96);
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.Proc().Exited(5000));
}

// Started at a high DPI on a screen too small for the window, the banner (the
// one handle to drag it by, with "X") lies on the work area.
TEST(EndToEndDpi, AStartAtAHighDpiKeepsTheBannerOnTheScreen) {
    for (const DWORD dpi : {144, 192}) {
        const ScreenDpi screen(dpi);
        VelkoraApp app;
        ASSERT_TRUE(app.Start());
        RECT window{};
        GetWindowRect(app.Main(), &window);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        POINT x = app.ScreenPoint("Label71");
        EXPECT_GE(window.top, work.top) << dpi;
        EXPECT_TRUE(PtInRect(&work, x)) << dpi << ": \"X\" at " << x.x << "," << x.y;
        PostMessageW(app.Main(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(app.Proc().Exited(5000));
    }
}

TEST(Resources, IconHoldsSixImagesAndTheCursorItsHotSpot) {
    HMODULE exe = LoadLibraryExW((BinDir() + L"\\Velkora.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
        GroupEntry entries[1];
    };
#pragma pack(pop)
    HRSRC group = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(exe, group)));
    ASSERT_EQ(header->count, 6);
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < header->count; ++i)
        images.emplace_back(header->entries[i].width ? header->entries[i].width : 256, header->entries[i].bitCount);
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{32, 8}, {16, 8}, {128, 32}, {48, 32}, {32, 32}, {16, 32}}));

    HCURSOR hand = LoadCursorW(exe, MAKEINTRESOURCEW(2));
    ASSERT_NE(hand, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_EQ(info.xHotspot, 12u);
    EXPECT_EQ(info.yHotspot, 1u);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    FreeLibrary(exe);
}

}  // namespace
}  // namespace velkora::e2e
