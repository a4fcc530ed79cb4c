// The explorer: drives the real Velkora.exe with seeded random input, as a
// user's hand and other programs would give it (SendInput, the clipboard,
// messages from another process, messengers that come, go, stall and hang),
// and checks invariants after every action. On a violation it prints the
// seed, the action's number and the last actions, writes the whole action
// list, replays it to confirm, and shrinks it to a short list that still
// fails.
//
//   explorer [--seconds N] [--seed S] [--log PATH] [--replay PATH]
//
// The last line reads "explorer: N passed, M failed" (actions checked,
// violations). Exit status 0 when nothing was violated.
#include <windows.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/platform.h"
#include "platform/win32_text.h"
#include "window/form1_layout.h"

namespace velkora::e2e {
namespace {

constexpr LPARAM kNinSelect = 0x400, kNinKeySelect = 0x401;

// "1 record", "2 records".
std::string Count(std::size_t n, const char* noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); }

enum Kind {
    kClickAt, kClickOn, kDrag, kKey, kType, kClipboard, kTrayEvent, kSecondStart, kBroadcast, kMessenger, kClose, kKinds
};

struct Action {
    int kind = 0;
    int a = 0, b = 0, c = 0;
    std::wstring text;

    // The names an action list is written with, by kind.
    static constexpr const char* kNames[kKinds] = {"click-at", "click-on", "drag", "key", "type", "clipboard",
                                                   "tray", "second-start", "broadcast", "messenger", "close"};

    std::string Describe() const {
        std::ostringstream out;
        out << kNames[kind] << ' ' << a << ' ' << b << ' ' << c;
        for (wchar_t ch : text) out << ' ' << static_cast<unsigned>(ch);
        return out.str();
    }
    static Action Parse(const std::string& line) {
        std::istringstream in(line);
        std::string name;
        Action action;
        in >> name >> action.a >> action.b >> action.c;
        action.kind = static_cast<int>(std::find(std::begin(kNames), std::end(kNames), name) - std::begin(kNames));
        for (unsigned ch; in >> ch;) action.text.push_back(static_cast<wchar_t>(ch));
        return action;
    }
};

// Places a click or key may land on: every control and label a user sees.
const char* const kTargets[] = {"Image2", "Label14", "Label71", "Option1", "Option2", "Option3", "Check3", "Check1",
                                "Check4", "Check2", "Check5", "Text3", "Command4", "Command5", "Label12", "Text9",
                                "List1", "Text2", "Command3", "Command7", "Command6", "Command2", "Command1", "Label13"};
const WORD kKeys[] = {VK_TAB, VK_TAB, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE, VK_RETURN, VK_ESCAPE, VK_BACK,
                      VK_DELETE, VK_HOME, VK_END, 'V', VK_INSERT, 'X', 'Z'};
const UINT kBroadcasts[] = {WM_SETTINGCHANGE, WM_TIMECHANGE, WM_DISPLAYCHANGE, WM_THEMECHANGED, 0 /* TaskbarCreated */,
                            WM_SYSCOLORCHANGE};
const wchar_t* const kLetters[] = {L"a", L"ğ", L"ş", L"İ", L"ı", L"ç", L"ö", L"Ü", L"\U0001F600", L"z", L"5", L"\U0001F44D"};

std::wstring ClipboardText(int which) {
    switch (which) {
        case 0: return L"";
        case 1: return std::wstring(1 << 19, L'x');  // 1 MB
        case 2: return std::wstring(59, L'a') + L"\U0001F600";  // an emoji across the 60-unit limit
        case 3: return L"\u05E9\u05DC\u05D5\u05DD \u0627\u0644\u0633\u0644\u0627\u0645 e\u0301\u0308";  // right-to-left, combining
        case 4: return std::wstring(L"nul") + L'\0' + L"after";
        case 5: return L"line\r\nnext";
        default: return L"back\\0slash";
    }
}

void SetClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        auto* p = static_cast<wchar_t*>(GlobalLock(block));
        std::copy(text.begin(), text.end(), p);
        p[text.size()] = 0;
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

Action RandomAction(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    static const int weights[kKinds] = {14, 26, 4, 22, 10, 5, 6, 2, 3, 3, 1};
    int total = 0;
    for (int w : weights) total += w;
    int roll = pick(total), kind = 0;
    while (roll >= weights[kind]) roll -= weights[kind++];
    Action a;
    a.kind = kind;
    switch (kind) {
        case kClickAt: a.a = pick(404); a.b = pick(571); a.c = pick(6); break;  // button and count
        case kClickOn: a.a = pick(static_cast<int>(std::size(kTargets))); a.c = pick(6); break;
        case kDrag: a.a = pick(404); a.b = pick(40); a.c = pick(3); break;
        case kKey: a.a = pick(static_cast<int>(std::size(kKeys))); a.b = pick(3); break;  // none, Shift, Ctrl
        case kType:
            for (int n = 1 + pick(4); n > 0; --n) a.text += kLetters[pick(static_cast<int>(std::size(kLetters)))];
            break;
        case kClipboard: a.a = pick(7); break;
        case kTrayEvent: a.a = pick(5); break;
        case kBroadcast: a.a = pick(static_cast<int>(std::size(kBroadcasts))); break;
        case kMessenger: a.a = pick(5); a.b = pick(5); break;  // what happens (below), and how slow or how long
        case kClose: a.a = pick(3); break;      // "X", Alt+F4, WM_CLOSE
        default: break;
    }
    return a;
}

class Explorer {
public:
    explicit Explorer(int bound) : answerBoundMs_(bound) {}
    ~Explorer() { Stop(); }

    bool Start() {
        healthy_ = std::make_unique<Receiver>();
        if (!healthy_->Start()) return false;
        return StartApp();
    }
    void Stop() {
        if (app_) {
            PostMessageW(app_->Main(), WM_CLOSE, 0, 0);
            app_->Proc().Exited(5000);
        }
        app_.reset();
        extra_.clear();
        healthy_.reset();
    }

    // Performs one action; false with `why` when an invariant broke. Every
    // kQuietEvery actions comes a quiet point.
    static constexpr int kQuietEvery = 40;
    bool Step(const Action& a, std::string& why) {
        actionStarts_.push_back(Now());
        Perform(a);
        return Check(why) && (++steps_ % kQuietEvery != 0 || Quiet(why));
    }
    std::size_t Records() const { return healthy_ ? healthy_->Count() : 0; }
    // What the run met: quiet points (and the longest wait at one), late
    // messengers, and hangs of a while.
    std::string Mix() const {
        return Count(quiets_, "quiet point") + " (longest wait " + std::to_string(longestQuietMs_ / 1000) + "." +
               std::to_string(longestQuietMs_ % 1000 / 100) + " s), " + Count(lates_, "late messenger") + ", " +
               Count(hangs_, "hang") + " of a while, at most " + std::to_string(static_cast<int>(mostQuietCpuPerSecond_)) +
               " ms of CPU time a second at one";
    }

private:
    bool StartApp() {
        app_ = std::make_unique<VelkoraApp>();
        // A tag on its command line finds Velkora in the host's process list.
        const std::string tag = "--explore-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++starts_);
        if (!app_->Start(std::wstring(tag.begin(), tag.end()))) return false;
        hostPid_ = host::UnderWine() ? host::Pid(tag) : 0;
        seenRecords_ = healthy_->Count();
        return true;
    }
    // Velkora's CPU time so far: from the host where Wine reports none.
    double CpuMs() const {
        if (hostPid_) return host::CpuMs(hostPid_);
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(app_->Proc().Handle(), &created, &exited, &kernel, &user)) return 0;
        auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0; };
        return ms(kernel) + ms(user);
    }
    POINT Client(int x, int y) const {
        POINT p{MulDiv(x, app_->Dpi(), 96), MulDiv(y, app_->Dpi(), 96)};
        ClientToScreen(app_->Main(), &p);
        return p;
    }
    // Microseconds on the clock the receiver stamps its records with.
    static long long Now() {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return now.QuadPart / (frequency.QuadPart / 1000000);
    }
    void Activating() { activations_.push_back(Now()); }
    bool Inside(const char* name, POINT screen) const {
        RECT r{};
        if (HWND child = app_->Child(name)) GetWindowRect(child, &r);
        return PtInRect(&r, screen) != FALSE;
    }
    // Whether a menu (class #32768) of Velkora's thread is up.
    bool MenuUp() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app_->Main(), nullptr), &info);
        return (info.flags & GUI_POPUPMENUMODE) != 0 || (info.flags & GUI_INMENUMODE) != 0;
    }
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app_->Main(), nullptr), &info);
        return info.hwndFocus;
    }
    void Press(POINT at, int button, int count) {
        static const DWORD downs[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
        if (Inside("Command1", at) || Inside("List1", at)) Activating();
        input::MoveTo(at);
        for (int i = 0; i < count; ++i) {
            input::Button(at, downs[button]);
            input::Button(at, downs[button] << 1);  // the matching release
        }
    }
    void Perform(const Action& a) {
        if (!IsWindowVisible(app_->Main()) && (a.kind == kClickAt || a.kind == kClickOn || a.kind == kDrag || a.kind == kKey)) {
            // Hidden: the user's input goes elsewhere; bring it back as a user would.
            SendMessageW(app_->Child("picSystemTray"), WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 1));
            return;
        }
        switch (a.kind) {
            case kClickAt: {
                // A left click on "X" closes, on the link starts a browser: both only as their own action.
                const POINT at{MulDiv(a.a, app_->Dpi(), 96), MulDiv(a.b, app_->Dpi(), 96)};
                const RECT close = app_->LabelRect("Label71"), link = app_->LabelRect("Label13");
                if (a.c % 3 == 0 && (PtInRect(&close, at) || PtInRect(&link, at))) {
                    if (PtInRect(&close, at)) Close(0);
                    break;
                }
                Press(Client(a.a, a.b), a.c % 3, 1 + a.c / 3);
                break;
            }
            case kClickOn: {
                if (std::string_view(kTargets[a.a]) == "Label71" || std::string_view(kTargets[a.a]) == "Label13") {
                    // "X" ends the program and the link starts a browser: both only by their own action.
                    if (std::string_view(kTargets[a.a]) == "Label71" && a.c == 0) Close(0);
                    break;
                }
                Press(app_->ScreenPoint(kTargets[a.a]), a.c % 3, 1 + a.c / 3);
                break;
            }
            case kDrag: {
                const POINT from = Client(a.a, a.b);
                static const DWORD downs[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
                input::MoveTo(from);
                input::Button(from, downs[a.c]);
                input::MoveTo({from.x + 15, from.y + 10});
                input::Button({from.x + 15, from.y + 10}, downs[a.c] << 1);
                break;
            }
            case kKey: {
                const WORD key = kKeys[a.a];
                const HWND focus = Focus();
                if (key == VK_RETURN || focus == app_->Child("List1") || focus == app_->Child("Command1")) Activating();
                input::KeyWith(a.b == 1 ? VK_SHIFT : a.b == 2 ? VK_CONTROL : 0, key);
                break;
            }
            case kType:
                if (Focus() == app_->Child("List1")) Activating();  // letters select entries by their first letter
                input::Type(a.text);
                break;
            case kClipboard: SetClipboard(ClipboardText(a.a)); break;
            case kTrayEvent: {
                if (IsWindowVisible(app_->Main())) app_->ClickLabel("Label14");
                static const LPARAM events[] = {WM_LBUTTONDBLCLK, kNinKeySelect, kNinSelect, WM_LBUTTONUP, WM_CONTEXTMENU};
                const LPARAM event = MAKELPARAM(events[a.a], 1);
                if (events[a.a] != WM_CONTEXTMENU) {
                    DWORD_PTR result = 0;  // handled whole before the check
                    SendMessageTimeoutW(app_->Child("picSystemTray"), WM_MOUSEMOVE, 0, event, SMTO_BLOCK, 5000, &result);
                    break;
                }
                // The menu is modal: posted, seen up, then closed without a choice.
                PostMessageW(app_->Child("picSystemTray"), WM_MOUSEMOVE, 0, event);
                WaitUntil([&] { return MenuUp(); }, 2000);
                DWORD_PTR result = 0;
                SendMessageTimeoutW(app_->Main(), WM_CANCELMODE, 0, 0, SMTO_BLOCK, 2000, &result);
                WaitUntil([&] { return !MenuUp(); }, 2000);
                break;
            }
            case kSecondStart: {
                Process second;
                if (second.Start(L"\"" + BinDir() + L"\\Velkora.exe\"")) {
                    second.Exited(15000);
                    if (second.ExitCode() != 0) secondStartFailed_ = true;
                }
                break;
            }
            case kBroadcast: {
                const UINT message = kBroadcasts[a.a] ? kBroadcasts[a.a] : RegisterWindowMessageW(L"TaskbarCreated");
                DWORD_PTR result = 0;
                SendMessageTimeoutW(app_->Main(), message, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
                break;
            }
            case kMessenger: Messenger(a.a, a.b); break;
            case kClose: Close(a.a); break;
            default: break;
        }
    }
    // Another messenger comes: 0 a healthy one, 1 a late one (2 to 6 s over
    // each record), 2 one that hangs for good; 3 one goes (or vanishes, if
    // hung); 4 one that answers hangs for 3 to 11 s, then answers again.
    struct Extra {
        std::unique_ptr<Receiver> receiver;
        bool hungForGood = false;
        HANDLE stopped = nullptr;  // its thread while it hangs for a while
        ULONGLONG until = 0;
    };
    void Messenger(int what, int how) {
        if (what == 4) {
            for (Extra& e : extra_) {
                if (e.hungForGood || e.stopped) continue;
                e.stopped = OpenThread(THREAD_SUSPEND_RESUME, FALSE, ReceiverThread(*e.receiver));
                if (e.stopped) SuspendThread(e.stopped);
                e.until = GetTickCount64() + 3000 + 2000 * static_cast<ULONGLONG>(how);
                ++hangs_;
                break;
            }
            return;
        }
        if (what == 3 || extra_.size() >= 3) {
            if (!extra_.empty()) {
                Answer(extra_.front(), true);
                extra_.pop_front();
            }
            return;
        }
        Extra e;
        e.receiver = std::make_unique<Receiver>();
        e.hungForGood = what == 2;
        const std::wstring args = what == 0 ? L"" : what == 1 ? L"--stall " + std::to_wstring(2000 + 1000 * how) : L"--stall 600000";
        if (!e.receiver->Start(args)) return;
        lates_ += what == 1;
        extra_.push_back(std::move(e));
    }
    static DWORD ReceiverThread(Receiver& r) {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, kMessengerWindowClass, nullptr)) != nullptr;) {
            DWORD process = 0;
            const DWORD thread = GetWindowThreadProcessId(w, &process);
            if (process == r.Proc().Id()) return thread;
        }
        return 0;
    }
    // A messenger that hung for a while answers again once its time is up (or now).
    static void Answer(Extra& e, bool now) {
        if (!e.stopped || (!now && GetTickCount64() < e.until)) return;
        ResumeThread(e.stopped);
        CloseHandle(e.stopped);
        e.stopped = nullptr;
    }
    // The screen's corner farthest from the window.
    static POINT AwayFrom(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        return POINT{r.left + r.right > w ? 2 : w - 3, r.top + r.bottom > h ? 2 : h - 3};
    }
    static std::string LastRaw(const Receiver& r) {
        const auto records = r.Records();
        return records.empty() ? std::string() : records.back()["raw"];
    }

public:
    // A quiet point: the user turns the line off; then every messenger that
    // answers, the late ones and those that hung for a while included (they
    // answer again at their own time, after the turn-off was first sent to
    // them), ends on the last record published (the healthy one's last),
    // within 30 s.
    bool Quiet(std::string& why) {
        if (!app_ || app_->Proc().Exited(0)) return true;
        if (!DismissMessageBoxes(why)) return false;
        if (!IsWindowVisible(app_->Main())) SendMessageW(app_->Child("picSystemTray"), WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 1));
        // The window shown again (or uncovered by a closed menu) paints
        // whole before its time is counted: a paint is work, not waiting.
        RedrawWindow(app_->Main(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        actionStarts_.push_back(Now());
        const double cpuBefore = CpuMs();
        const ULONGLONG quietFrom = GetTickCount64();
        app_->Click("Command2");
        // Then the hand leaves the window: a pointer resting on a control
        // costs 10 to 35 ms of CPU a second under Wine (the controls'
        // hover tracking, measured; nothing once it has left).
        input::MoveTo(AwayFrom(app_->Main()));
        if (!WaitUntil([&] { return healthy_->Count() > 0 && healthy_->Records().back()["show"] == "0"; }, 5000))
            return Fail(why, "the turn-off did not reach the healthy messenger");
        const std::string last = LastRaw(*healthy_);
        const ULONGLONG start = GetTickCount64();
        for (std::size_t i = 0; i < extra_.size(); ++i) {
            if (extra_[i].hungForGood) continue;
            if (!WaitUntil([&] { for (Extra& e : extra_) Answer(e, false); return LastRaw(*extra_[i].receiver) == last; }, 30000))
                return Fail(why, "messenger " + std::to_string(i + 1) + " did not end on the last record published");
        }
        ++quiets_;
        longestQuietMs_ = std::max(longestQuietMs_, GetTickCount64() - start);
        // While it only waits (messengers that hang are tried again, the
        // uptime ticks) Velkora costs next to nothing: a thread that turned
        // instead of sleeping would cost a core.
        Sleep(2000);
        const double cpu = CpuMs() - cpuBefore;
        const double wallMs = static_cast<double>(GetTickCount64() - quietFrom);
        mostQuietCpuPerSecond_ = std::max(mostQuietCpuPerSecond_, cpu * 1000 / wallMs);
        if (cpu > kQuietCpuMs + wallMs * kQuietCpuShare)
            return Fail(why, "Velkora spent " + std::to_string(static_cast<int>(cpu)) + " ms of CPU time over a quiet point of " +
                                 std::to_string(static_cast<int>(wallMs)) + " ms");
        return CheckRecords(why);
    }

private:
    void Close(int road) {
        if (!IsWindowVisible(app_->Main())) SendMessageW(app_->Child("picSystemTray"), WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 1));
        if (road == 0) {
            input::Click(app_->ScreenPoint("Label71"));
        } else if (road == 1) {
            input::Click(Client(398, 566));  // the window first, on a spot where nothing is, as a hand would
            input::KeyWith(VK_MENU, VK_F4);
        } else {
            PostMessageW(app_->Main(), WM_CLOSE, 0, 0);
        }
        if (!app_->Proc().Exited(5000)) {
            closeFailed_ = true;
            return;
        }
        app_.reset();
        if (!StartApp()) app_.reset();
    }

    bool Check(std::string& why) {
        for (Extra& e : extra_) Answer(e, false);
        if (!app_) return Fail(why, "Velkora could not be started again");
        if (closeFailed_) return Fail(why, "the program did not end when closed");
        if (app_->Proc().Exited(0)) return Fail(why, "the program ended untold");
        // The window answers at once, whatever the messengers do: a window
        // that waited on one would take a second or more.
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(app_->Main(), WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result) ||
            GetTickCount64() - start > static_cast<ULONGLONG>(answerBoundMs_))
            return Fail(why, "the window took " + std::to_string(GetTickCount64() - start) + " ms to answer");
        if (!DismissMessageBoxes(why)) return false;
        if (secondStartFailed_) return Fail(why, "a second start did not exit 0");
        int ticked = 0;
        for (const char* box : {"Check1", "Check2", "Check3", "Check4", "Check5"})
            ticked += SendMessageW(app_->Child(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (ticked > 1) return Fail(why, std::to_string(ticked) + " source boxes ticked");
        // The icon and the window change one after the other: they must agree within a second.
        const auto agree = [&] { return (IsWindowVisible(app_->Main()) != FALSE) != TrayIconShown(app_->Child("picSystemTray")); };
        if (!agree() && !WaitUntil(agree, 1000)) {
            const bool shown = IsWindowVisible(app_->Main()) != FALSE;
            return Fail(why, shown ? "an icon while the window shows" : "no icon while the window is hidden");
        }
        int windows = 0;
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, reinterpret_cast<const wchar_t*>(kMainWindowClass), nullptr));) ++windows;
        if (windows != 1) return Fail(why, std::to_string(windows) + " main windows");
        if (!CheckRecords(why)) return false;
        if (++checks_ % 25 == 0 && !CheckReaderWalk(why)) return false;
        return true;
    }
    static bool Fail(std::string& why, const std::string& what) {
        why = what;
        return false;
    }
    // The one box Velkora may show is the refusal of an empty entry: said, then dismissed.
    struct Boxes {
        DWORD process;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK OnTopLevel(HWND w, LPARAM p) {
        auto* boxes = reinterpret_cast<Boxes*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (owner == boxes->process && IsWindowVisible(w) && std::wstring(cls) == L"#32770") boxes->found.push_back(w);
        return TRUE;
    }
    static BOOL CALLBACK OnBoxText(HWND w, LPARAM p) {
        wchar_t text[64] = {};
        GetWindowTextW(w, text, 64);
        if (std::wstring(text) == L"Boş bırakmayınız") *reinterpret_cast<bool*>(p) = true;
        return TRUE;
    }
    bool DismissMessageBoxes(std::string& why) {
        Boxes boxes{app_->Proc().Id(), {}};
        EnumWindows(OnTopLevel, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes.found) {
            bool refusal = false;
            EnumChildWindows(box, OnBoxText, reinterpret_cast<LPARAM>(&refusal));
            if (!refusal) return Fail(why, "an unexpected message box");
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            WaitUntil([&] { return !IsWindow(box); }, 2000);
        }
        return true;
    }
    bool CheckRecords(std::string& why) {
        const auto records = healthy_->Records();
        for (std::size_t i = seenRecords_; i < records.size(); ++i) {
            const Received& r = records[i];
            if (!r["dwData"].empty() && r["dwData"] != "1351") return Fail(why, "a record with dwData " + r["dwData"]);
            const std::string& hex = r["raw"];
            Text units;
            for (std::size_t k = 0; k + 3 < hex.size(); k += 4)
                units.push_back(static_cast<char16_t>(std::stoul(hex.substr(k + 2, 2) + hex.substr(k, 2), nullptr, 16)));
            if (hex.size() % 4 || units.empty() || units.back() != u'\0') return Fail(why, "a record without its closing NUL");
            if (WholeCharacters(units) != units) return Fail(why, "a record with half a surrogate pair");
            // The category and the show digit come before any text a user gave.
            const std::size_t showAt = units.find(u"\\0", 2);
            const Text category = units.substr(2, showAt == Text::npos ? 0 : showAt - 2);
            const Text show = showAt == Text::npos ? Text() : units.substr(showAt + 2, 1);
            if (units.compare(0, 2, u"\\0") != 0 || (category != u"Music" && category != u"Office" && category != u"Games"))
                return Fail(why, "a record with the category " + ToUtf8(category));
            if (show != u"0" && show != u"1") return Fail(why, "a record with the show flag " + ToUtf8(show));
            // After a turn-off, nothing until the user activates again or clicks a list entry.
            if (show == u"1" && lastShow_ == u"0") {
                // The turn-off came from the last action begun before it arrived, or later.
                long long from = 0;
                for (long long start : actionStarts_)
                    if (start <= lastRecordUs_) from = start;
                const long long to = std::stoll(r["us"]);
                const bool activated = std::any_of(activations_.begin(), activations_.end(),
                                                   [&](long long t) { return t >= from && t <= to; });
                if (!activated) return Fail(why, "a record after the turn-off with no activation between");
            }
            lastShow_ = show;
            lastRecordUs_ = std::stoll(r["us"]);
        }
        seenRecords_ = records.size();
        return true;
    }
    // Who an object is, as a reader tells objects apart: its name, role and place.
    static std::string Who(IAccessible* object, RECT* place = nullptr) {
        VARIANT self{}, role{};
        self.vt = VT_I4;
        BSTR name = nullptr;
        long x = 0, y = 0, width = 0, height = 0;
        object->get_accName(self, &name);
        object->get_accRole(self, &role);
        object->accLocation(&x, &y, &width, &height, self);
        if (place) *place = RECT{x, y, x + width, y + height};
        std::string who = (name ? ToUtf8(FromWide(name, SysStringLen(name))) : std::string()) + ", role " +
                          std::to_string(role.lVal) + ", " + std::to_string(x) + "," + std::to_string(y) + " " +
                          std::to_string(width) + "x" + std::to_string(height);
        SysFreeString(name);
        return who;
    }
    // A screen reader's walk: every visible child has a role and a name, and
    // a hit test at its middle finds it.
    bool CheckReaderWalk(std::string& why) {
        if (!IsWindowVisible(app_->Main())) return true;
        IAccessible* client = nullptr;
        if (AccessibleObjectFromWindow(app_->Main(), OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&client)) != S_OK)
            return Fail(why, "no accessible object");
        long count = 0, got = 0;
        client->get_accChildCount(&count);
        std::vector<VARIANT> children(static_cast<std::size_t>(std::max(count, 1L)));
        AccessibleChildren(client, 0, count, children.data(), &got);
        std::string missing, missed;
        for (long i = 0; i < got; ++i) {
            VARIANT& child = children[static_cast<std::size_t>(i)];
            IAccessible* object = nullptr;
            if (child.vt != VT_DISPATCH || FAILED(child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object))))
                missing += " child " + std::to_string(i + 1);
            if (object) {
                VARIANT self{}, role{}, state{}, hit{};
                self.vt = VT_I4;
                BSTR name = nullptr;
                object->get_accRole(self, &role);
                object->get_accState(self, &state);
                object->get_accName(self, &name);
                const bool invisible = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_INVISIBLE);
                if (!invisible && (role.vt != VT_I4 || role.lVal == 0 || !name || !SysStringLen(name)))
                    missing += " child " + std::to_string(i + 1);
                SysFreeString(name);
                RECT r{};
                const std::string who = Who(object, &r);
                IAccessible* found = nullptr;
                if (client->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &hit) == S_OK && hit.vt == VT_DISPATCH)
                    hit.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&found));
                if (!invisible && (!found || Who(found) != who)) missed += " " + who + " (found " + (found ? Who(found) : "no child") + ")";
                if (found) found->Release();
                VariantClear(&hit);
                object->Release();
            }
            VariantClear(&child);
        }
        client->Release();
        if (got < count || got == 0) return Fail(why, "the walk returned " + std::to_string(got) + " of " + std::to_string(count));
        if (!missing.empty()) return Fail(why, "nameless or roleless:" + missing);
        return missed.empty() || Fail(why, "a hit test at the middle missed:" + missed);
    }

    int answerBoundMs_;
    std::unique_ptr<Receiver> healthy_;
    std::deque<Extra> extra_;
    std::unique_ptr<VelkoraApp> app_;
    std::size_t seenRecords_ = 0;
    std::vector<long long> activations_;
    Text lastShow_ = u"1";
    long long lastRecordUs_ = 0;
    bool closeFailed_ = false, secondStartFailed_ = false;
    std::vector<long long> actionStarts_;  // when each action began
    int checks_ = 0;
    std::size_t steps_ = 0;
    // A quiet point (the turn-off, the waits, then 2 s more) may cost a
    // click's handling and a few sends, and a small share of its time (the
    // timers, retries); a thread that turns instead of sleeping costs all of
    // it while it turns.
    static constexpr double kQuietCpuMs = 80, kQuietCpuShare = 0.02;
    int starts_ = 0;
    unsigned long hostPid_ = 0;
    double mostQuietCpuPerSecond_ = 0;
    int quiets_ = 0, lates_ = 0, hangs_ = 0;
    ULONGLONG longestQuietMs_ = 0;
};

constexpr int kNotStarted = -2;

// Runs `actions` from a fresh start; the index of the first violation, -1
// when there was none, kNotStarted when the programs could not be started.
int Run(const std::vector<Action>& actions, int bound, std::string& why, std::size_t* records = nullptr,
        std::string* mix = nullptr) {
    Explorer explorer(bound);
    if (!explorer.Start()) {
        why = "Velkora or the receiver could not be started";
        return kNotStarted;
    }
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (!explorer.Step(actions[i], why)) return static_cast<int>(i);
    if (!actions.empty() && !explorer.Quiet(why)) return static_cast<int>(actions.size()) - 1;
    if (records) *records = explorer.Records();
    if (mix) *mix = explorer.Mix();
    return -1;
}

// A violation's kind: its words without the figures, so that a replay
// counts only when it fails the same way.
std::string KindOf(const std::string& why) {
    std::string kind;
    for (char c : why)
        if (c < '0' || c > '9') kind += c;
    return kind;
}

void WriteLog(const std::string& path, const std::vector<Action>& actions) {
    std::ofstream out(path);
    for (const Action& a : actions) out << a.Describe() << '\n';
}

}  // namespace
}  // namespace velkora::e2e

int main(int argc, char** argv) {
    using namespace velkora::e2e;
    SetProcessDPIAware();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int seconds = 60, bound = 100;
    unsigned seed = 1;
    std::string log = "explore-actions.txt", replay;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--seconds") seconds = std::atoi(argv[i + 1]);
        else if (flag == "--seed") seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (flag == "--log") log = argv[i + 1];
        else if (flag == "--replay") replay = argv[i + 1];
        else if (flag == "--bound") bound = std::atoi(argv[i + 1]);
    }

    std::vector<Action> actions;
    std::string why;
    int failedAt = -1;
    std::size_t records = 0;
    std::string mix;
    if (!replay.empty()) {
        std::ifstream in(replay);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) actions.push_back(Action::Parse(line));
        failedAt = Run(actions, bound, why, &records, &mix);
        if (failedAt == kNotStarted) {
            std::printf("explorer: %s\nexplorer: 0 passed, 1 failed\n", why.c_str());
            return 1;
        }
    } else {
        std::mt19937 rng(seed);
        Explorer explorer(bound);
        if (!explorer.Start()) {
            std::printf("explorer: Velkora or the receiver could not be started\nexplorer: 0 passed, 1 failed\n");
            return 1;
        }
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
        while (GetTickCount64() < end) {
            actions.push_back(RandomAction(rng));
            if (!explorer.Step(actions.back(), why)) {
                failedAt = static_cast<int>(actions.size()) - 1;
                break;
            }
        }
        if (failedAt < 0 && !actions.empty() && !explorer.Quiet(why)) failedAt = static_cast<int>(actions.size()) - 1;
        records = explorer.Records();
        mix = explorer.Mix();
    }
    const std::string run = replay.empty() ? "seed " + std::to_string(seed) : "replaying " + replay;
    if (failedAt < 0) {
        std::printf("explorer: %s, %s, %s received, %s, no violation\n", run.c_str(), Count(actions.size(), "action").c_str(),
                    Count(records, "record").c_str(), mix.c_str());
        std::printf("explorer: %zu passed, 0 failed\n", actions.size());
        return 0;
    }

    actions.resize(static_cast<std::size_t>(failedAt) + 1);
    std::printf("explorer: VIOLATION at action %d (%s): %s\n  last actions:\n", failedAt + 1, run.c_str(), why.c_str());
    for (std::size_t i = actions.size() > 10 ? actions.size() - 10 : 0; i < actions.size(); ++i)
        std::printf("    %zu: %s\n", i + 1, actions[i].Describe().c_str());
    WriteLog(log, actions);
    std::printf("  the whole list: %s\n", log.c_str());
    std::fflush(stdout);

    // Replayed from a fresh start: the last actions alone first (a fault seldom
    // needs the whole history), else the whole list while it is short enough
    // to replay in a few minutes.
    constexpr std::size_t kTail = 40, kMostReplayed = 400;
    std::string again;
    bool confirmed = false;
    if (actions.size() > kTail) {
        std::vector<Action> tail(actions.end() - kTail, actions.end());
        const int at = Run(tail, bound, again);
        if (at >= 0 && KindOf(again) == KindOf(why)) {
            confirmed = true;
            actions.assign(tail.begin(), tail.begin() + at + 1);
        }
    }
    if (!confirmed && actions.size() <= kMostReplayed) confirmed = Run(actions, bound, again) >= 0 && KindOf(again) == KindOf(why);
    std::printf("  replayed: %s%s\n", confirmed ? "fails again: " : "does not fail again (timing, or it needs the longer history)",
                confirmed ? again.c_str() : "");
    if (confirmed) {
        // Shrink: drop chunks while the list still fails, halving the chunk each round.
        for (std::size_t chunk = actions.size() / 2; chunk >= 1; chunk /= 2) {
            for (std::size_t at = 0; at + chunk <= actions.size() && actions.size() > 1;) {
                std::vector<Action> fewer(actions.begin(), actions.begin() + static_cast<long>(at));
                fewer.insert(fewer.end(), actions.begin() + static_cast<long>(at + chunk), actions.end());
                std::string still;
                const int at2 = Run(fewer, bound, still);
                if (at2 >= 0 && KindOf(still) == KindOf(why)) actions.assign(fewer.begin(), fewer.begin() + at2 + 1);
                else at += chunk;
            }
        }
        WriteLog(log + ".short", actions);
        // Timing may play a part: the short list is run three times more.
        int again3 = 0;
        for (int i = 0; i < 3; ++i) {
            std::string still;
            again3 += Run(actions, bound, still) >= 0 && KindOf(still) == KindOf(why);
        }
        std::printf("  shrunk to %zu actions, which fail the same way %d of 3 times: %s.short\n", actions.size(), again3,
                    log.c_str());
        for (std::size_t i = 0; i < actions.size(); ++i) std::printf("    %zu: %s\n", i + 1, actions[i].Describe().c_str());
    }
    std::printf("explorer: %d passed, 1 failed\n", failedAt);
    return 1;
}
