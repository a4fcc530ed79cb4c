#include "harness.h"

#include <shellapi.h>
#include <winternl.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/win32_text.h"
#include "window/form1_layout.h"

namespace velkora::e2e {

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir = dir.substr(0, dir.find_last_of(L"\\/"));  // .../tests
    return dir.substr(0, dir.find_last_of(L"\\/"));  // the build folder
}

std::wstring TempPath(const std::wstring& stem) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    static int counter = 0;
    return std::wstring(dir) + L"velkora-" + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L".txt";
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    return true;
}

namespace host {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string ReadFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) content.append(buffer, n);
    CloseHandle(f);
    return content;
}

unsigned long Pid(const std::string& needle) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    unsigned long found = 0;
    do {
        const unsigned long pid = wcstoul(entry.cFileName, nullptr, 10);
        if (pid == 0) continue;
        std::string line = ReadFile(L"Z:\\proc\\" + std::wstring(entry.cFileName) + L"\\cmdline");
        for (char& c : line)
            if (c == '\0') c = ' ';
        if (line.find(needle) != std::string::npos) found = pid;
    } while (!found && FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

double RssAnonKb(unsigned long pid) {
    std::istringstream status(ReadFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\status"));
    std::string key;
    double kb = 0;
    while (status >> key)
        if (key == "RssAnon:" && status >> kb) return kb;
    return 0;
}

double CpuMs(unsigned long pid) {
    const std::string stat = ReadFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat");
    if (stat.empty()) return 0;
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));  // after "pid (name) "
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i)
        if (i == 14 || i == 15) ticks += std::atof(field.c_str());  // utime, stime
    return ticks * 10;  // USER_HZ is 100
}

long HandleCount(DWORD pid) {
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    if (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0)
        return -1;
    for (auto* p = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data());;
         p = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(reinterpret_cast<char*>(p) + p->NextEntryOffset)) {
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)) == pid) return static_cast<long>(p->HandleCount);
        if (p->NextEntryOffset == 0) return -1;
    }
}

}  // namespace host

bool Process::Start(const std::wstring& commandLine, int showCommand, const wchar_t* folder) {
    std::wstring line = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (showCommand >= 0) {  // as a shortcut's "Run:" or a launcher asks
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi_) != FALSE;
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

void Process::Kill() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 0);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = {};
}

bool Process::Exited(int timeoutMs) const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

namespace input {

namespace {
void Send(INPUT in) {
    SendInput(1, &in, sizeof in);
    Sleep(60);
}
}  // namespace

void Button(POINT screen, DWORD flag) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flag | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    Send(in);
}

void MoveTo(POINT screen) { Button(screen, 0); }

void Click(POINT screen, int times) {
    MoveTo(screen);
    for (int i = 0; i < times; ++i) {
        Button(screen, MOUSEEVENTF_LEFTDOWN);
        Button(screen, MOUSEEVENTF_LEFTUP);
    }
    Sleep(150);
}

void Key(WORD virtualKey, bool withControl) { KeyWith(withControl ? VK_CONTROL : 0, virtualKey); }

void KeyWith(WORD modifier, WORD virtualKey) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    if (modifier) {
        in.ki.wVk = modifier;
        Send(in);
    }
    in.ki.wVk = virtualKey;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
    if (modifier) {
        in.ki.wVk = modifier;
        Send(in);
    }
}

void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        SendInput(1, &in, sizeof in);
        in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(1, &in, sizeof in);
    }
    Sleep(300);
}

}  // namespace input

namespace {
bool AskTheShell(DWORD message, HWND owner, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    return Shell_NotifyIconW(message, &data) != FALSE;
}
}  // namespace

bool TrayIconShown(HWND owner, UINT id) { return AskTheShell(NIM_MODIFY, owner, id); }

bool TrayIconDeleted(HWND owner, UINT id) { return AskTheShell(NIM_DELETE, owner, id); }

POINT TrayIconPoint() {
    RECT r{};
    // Wine 8's tray is a window of the X11 driver's; Wine 10's is the
    // shell's taskbar window, with an icon window of its own for each icon.
    const struct { const wchar_t* tray; const wchar_t* icon; } kinds[] = {
        {L"__winex11_standalone_tray", L"__winex11_tray_icon"}, {L"Shell_TrayWnd", L"__wine_tray_icon"}};
    for (const auto& kind : kinds) {
        HWND tray = FindWindowW(kind.tray, nullptr);
        for (HWND w = nullptr; tray && (w = FindWindowExW(tray, w, kind.icon, nullptr));) {
            RECT each{};
            GetWindowRect(w, &each);
            if (IsWindowVisible(w) && each.left >= r.left) r = each;  // icons are added from the left
        }
    }
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT MenuRect(HWND window) {
    RECT r{};
    WaitUntil([&] {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr));)
            if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetWindowThreadProcessId(window, nullptr))
                return GetWindowRect(w, &r) != FALSE;
        return false;
    }, 3000);
    return r;
}

const std::string& Received::operator[](const std::string& key) const {
    static const std::string none;
    auto it = fields.find(key);
    return it == fields.end() ? none : it->second;
}

bool Receiver::Start(const std::wstring& extraArguments) {
    file_ = TempPath(L"received");
    const std::wstring ready = TempPath(L"ready");
    DeleteFileW(file_.c_str());
    DeleteFileW(ready.c_str());
    if (!process_.Start(L"\"" + BinDir() + L"\\status-monitor.exe\" --file \"" + file_ + L"\" --raw --ready \"" + ready +
                        L"\" " + extraArguments))
        return false;
    return WaitUntil([&] { return GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

std::vector<Received> Receiver::Records() const {
    std::vector<Received> out;
    HANDLE f = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    std::string content;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) content.append(buffer, n);
    CloseHandle(f);
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("window=", 0) != 0) continue;
        Received r;
        std::istringstream parts(line);
        std::string part;
        while (std::getline(parts, part, '\t')) {
            const auto eq = part.find('=');
            if (eq != std::string::npos) r.fields[part.substr(0, eq)] = part.substr(eq + 1);
        }
        out.push_back(std::move(r));
    }
    return out;
}

bool Receiver::WaitForCount(std::size_t count, int timeoutMs) const {
    return WaitUntil([&] { return Count() >= count; }, timeoutMs);
}

bool VelkoraApp::Start(const std::wstring& arguments, int showCommand, const std::wstring& folder) {
    // Velkora declares itself DPI-aware; a process that does not is shown
    // its windows scaled to 96 DPI (as Windows does; Wine 10 does, Wine 8 not),
    // so the tests read Velkora's geometry as aware themselves, in pixels.
    SetProcessDPIAware();
    if (!process_.Start(L"\"" + folder + L"\\Velkora.exe\" " + arguments, showCommand, folder.c_str())) return false;
    const DWORD pid = process_.Id();
    const bool found = WaitUntil(
        [&] {
            HWND w = nullptr;
            while ((w = FindWindowExW(nullptr, w, reinterpret_cast<const wchar_t*>(kMainWindowClass), nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid && (showCommand >= 0 || IsWindowVisible(w))) {
                    main_ = w;
                    return true;
                }
            }
            return false;
        },
        15000);
    if (!found) return false;
    // The window's DPI: its client width is 6060 twips.
    RECT client;
    GetClientRect(main_, &client);
    dpi_ = MulDiv(client.right, 1440, kFormWidthTwips);
    Sync();
    return true;
}

HWND VelkoraApp::Child(const char* name) const { return GetDlgItem(main_, ControlId(name)); }

RECT VelkoraApp::LabelRect(const char* name) const {
    const ControlSpec* s = FindSpec(name);
    return RECT{MulDiv(s->left, dpi_, 1440), MulDiv(s->top, dpi_, 1440), MulDiv(s->left + s->width, dpi_, 1440),
                MulDiv(s->top + s->height, dpi_, 1440)};
}

POINT VelkoraApp::ScreenPoint(const char* name) const {
    RECT r = LabelRect(name);
    if (HWND child = Child(name)) {
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&r), 2);
    }
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(main_, &p);
    return p;
}

void VelkoraApp::Click(const char* name) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Child(name), BM_CLICK, 0, 0, SMTO_BLOCK, 5000, &result);
    Sync();
}

void VelkoraApp::PressOn(const char* name, UINT down, UINT up) const {
    const RECT r = LabelRect(name);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // Sent, not posted: a sent message is handled before the call returns.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main_, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at, SMTO_BLOCK, 5000, &result);
    if (up) SendMessageTimeoutW(main_, up, 0, at, SMTO_BLOCK, 5000, &result);
}

void VelkoraApp::ClickLabel(const char* name) const { PressOn(name, WM_LBUTTONDOWN, WM_LBUTTONUP); }

void VelkoraApp::Sync() const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
}

Text VelkoraApp::TextOf(const char* name) const {
    // GetWindowText does not ask a window of another process; WM_GETTEXT does.
    HWND child = Child(name);
    const auto length = SendMessageW(child, WM_GETTEXTLENGTH, 0, 0);
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(child, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return FromWide(buffer.data(), static_cast<std::size_t>(copied));
}

}  // namespace velkora::e2e
