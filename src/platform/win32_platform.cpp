#include "platform/win32_platform.h"

#include <oleauto.h>

#include <memory>
#include <new>

#include "platform/runtime_error.h"
#include "platform/win32_text.h"

namespace velkora {

namespace {

const IID kNullId{};  // IID_NULL, without linking the whole GUID library

// Releases a COM interface on every path out of a scope.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T** Out() { return &p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const Text& text) : s_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR get() const { return s_; }

private:
    BSTR s_;
};

Text SystemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    Text text = n ? FromWide(buffer, n) : Text(u"Automation error");
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
    return text;
}

[[noreturn]] void RaiseHresult(HRESULT hr) { throw RuntimeError(static_cast<std::int32_t>(hr), SystemMessage(hr)); }

AutomationValue FromVariant(VARIANT& v) {
    switch (V_VT(&v)) {
        case VT_EMPTY: return std::monostate{};
        case VT_BOOL: return V_BOOL(&v) != VARIANT_FALSE;
        case VT_BSTR: return FromWide(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
        case VT_R4: case VT_R8: case VT_DATE: case VT_CY: case VT_DECIMAL: {
            VARIANT d;
            VariantInit(&d);
            const HRESULT hr = VariantChangeType(&d, &v, 0, VT_R8);
            if (FAILED(hr)) RaiseHresult(hr);
            return V_R8(&d);
        }
        default: {
            VARIANT i;
            VariantInit(&i);
            const HRESULT hr = VariantChangeType(&i, &v, 0, VT_I8);
            if (FAILED(hr)) errors::Raise(errors::kTypeMismatch);
            return static_cast<std::int64_t>(V_I8(&i));
        }
    }
}

}  // namespace

void RaiseSystemError(const Text& what) {
    const DWORD code = GetLastError();
    throw RuntimeError(errors::kCannotPerform, code ? what + u": " + SystemMessage(HRESULT_FROM_WIN32(code)) : what);
}

namespace {

BOOL CALLBACK AddIfMessenger(HWND window, LPARAM found) {
    char name[sizeof kMessengerWindowClass + 1] = {};
    if (GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, kMessengerWindowClass) == 0)
        reinterpret_cast<std::vector<Handle>*>(found)->push_back(FromHwnd(window));
    return TRUE;
}

}  // namespace

// Top-level windows are listed at one moment (EnumWindows takes the list
// before it calls back): a walk window by window with FindWindowEx misses a
// window that another comes in front of meanwhile, and costs the square of
// their number. Message-only windows take no place in front of others.
std::vector<Handle> Win32Courier::Windows(WindowScope scope) {
    std::vector<Handle> found;
    if (scope == WindowScope::TopLevel) {
        EnumWindows(AddIfMessenger, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    HWND previous = nullptr;
    while (found.size() < static_cast<std::size_t>(kMostWindows) &&
           (previous = FindWindowExA(HWND_MESSAGE, previous, kMessengerWindowClass, nullptr)) != nullptr)
        found.push_back(FromHwnd(previous));
    return found;
}

std::uint64_t Win32Courier::ReceiverOf(Handle window) { return GetWindowThreadProcessId(ToHwnd(window), nullptr); }

bool Win32Courier::StartWorker() {
    auto* courier = new (std::nothrow) std::shared_ptr<Win32Courier>(shared_from_this());
    if (!courier) return false;
    // A worker needs little stack: it walks, sends and waits.
    HANDLE thread = CreateThread(nullptr, 64 * 1024, RunWorker, courier, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) {
        delete courier;
        return false;
    }
    CloseHandle(thread);
    return true;
}

DWORD WINAPI Win32Courier::RunWorker(void* courier) {
    std::unique_ptr<std::shared_ptr<Win32Courier>> own(static_cast<std::shared_ptr<Win32Courier>*>(courier));
    (*own)->Work();
    return 0;
}

Courier::Sent Win32Courier::Send(Handle window, const StatusRecord& record, Ms bound) {
    COPYDATASTRUCT cds{record.dwData, record.cbData, const_cast<char16_t*>(record.lpData)};
    DWORD_PTR result = 0;
    // SMTO_ABORTIFHUNG: a window already known to hang costs no wait at all.
    if (SendMessageTimeoutA(ToHwnd(window), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                            SMTO_BLOCK | SMTO_ABORTIFHUNG, static_cast<UINT>(bound.count()), &result))
        return Sent::Delivered;
    // A window of a process the system shields from this one (user interface
    // privilege isolation) is refused at once with access denied, and will be
    // while it lasts.
    const DWORD error = GetLastError();
    if (!IsWindow(ToHwnd(window))) return Sent::Gone;
    return error == ERROR_ACCESS_DENIED ? Sent::Refused : Sent::TimedOut;
}

void Win32Platform::LetAnotherCopyRun() {
    if (!oneCopy_) return;
    ReleaseMutex(oneCopy_);
    CloseHandle(oneCopy_);
    oneCopy_ = nullptr;
}

void Win32Platform::FinishDeliveries() {
    LetAnotherCopyRun();
    // Messages still reach this thread (COM's calls from a screen reader that
    // held an object, broadcasts): they are answered while it waits.
    const ULONGLONG end = GetTickCount64() + kFinishMs;
    bool finished = false;
    while (!(finished = courier_->Finish(std::chrono::milliseconds(20))) && GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // ending already
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // A worker still waiting on a messenger is told to end; it touches
    // nothing the runtime's exit tears down when its send returns.
    if (!finished) courier_->Stop();
}

std::uint64_t Win32Platform::TickCount() { return GetTickCount64(); }

MemoryFigures Win32Platform::MemoryStatus() {
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    GlobalMemoryStatusEx(&m);
    return MemoryFigures{m.dwMemoryLoad, m.ullTotalPhys, m.ullAvailPhys};
}

namespace {

// A text the system formats, whatever its length: its size asked first, then
// read whole. A call the system refuses raises the run-time error; no part
// of a text goes out empty or cut.
template <class Format>
Text FormattedText(const Text& what, Format format) {
    if (const int size = format(nullptr, 0); size > 0) {
        std::wstring buffer(static_cast<std::size_t>(size), L'\0');
        if (const int n = format(buffer.data(), size); n > 0) return FromWide(buffer.data(), static_cast<std::size_t>(n - 1));
    }
    RaiseSystemError(what);
}

}  // namespace

// One reading of the clock each, asked for twice: the size and the text agree.
Text Win32Platform::TimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormattedText(u"Saat metni alınamadı", [&now](wchar_t* buffer, int size) {
        return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, size);
    });
}

Text Win32Platform::DateText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormattedText(u"Tarih metni alınamadı", [&now](wchar_t* buffer, int size) {
        return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, buffer, size);
    });
}

Text Win32Platform::DecimalSeparator() {
    wchar_t buffer[8];
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8);
    return n > 1 ? FromWide(buffer, static_cast<std::size_t>(n - 1)) : Text(u".");
}

AutomationValue Win32Platform::InvokeByName(const Text& progId, const Text& method, const Text& argument) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(Wide(progId).c_str(), &clsid);
    if (FAILED(hr)) RaiseHresult(hr);
    ComRef<IDispatch> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, __uuidof(IDispatch),
                          reinterpret_cast<void**>(object.Out()));
    if (FAILED(hr)) RaiseHresult(hr);

    std::wstring name = Wide(method);
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    hr = object->GetIDsOfNames(kNullId, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) RaiseHresult(hr);

    Bstr path(argument);
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = path.get();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT badArgument = 0;
    hr = object->Invoke(id, kNullId, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception, &badArgument);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        const HRESULT code = exception.scode ? exception.scode : hr;
        Text description = exception.bstrDescription
                               ? FromWide(exception.bstrDescription, SysStringLen(exception.bstrDescription))
                               : SystemMessage(code);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
        throw RuntimeError(static_cast<std::int32_t>(code), description);
    }
    if (FAILED(hr)) RaiseHresult(hr);
    AutomationValue value;
    try {
        value = FromVariant(result);
    } catch (...) {
        VariantClear(&result);
        throw;
    }
    VariantClear(&result);
    return value;
}

bool Win32Platform::ShowTrayIcon(Handle owner, std::uint32_t id, Handle picture, const Text& tip) {
    return trayIcon_.Show(ToHwnd(owner), id, reinterpret_cast<HICON>(static_cast<std::uintptr_t>(picture)), tip);
}

bool Win32Platform::RemoveTrayIcon(Handle owner, std::uint32_t id) { return trayIcon_.Remove(ToHwnd(owner), id); }

void Win32Platform::FocusTrayIcon(Handle owner, std::uint32_t id) { trayIcon_.ReturnFocus(ToHwnd(owner), id); }

void Win32Platform::ReleaseMouseCapture() { ReleaseCapture(); }

void Win32Platform::SendCaptionPress(Handle window) { SendMessageA(ToHwnd(window), WM_NCLBUTTONDOWN, HTCAPTION, 0); }

bool Win32Platform::Launch(const Text& commandLine, int windowStyle) {
    std::wstring line = Wide(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void Win32Platform::ShowMessage(const Text& text, const Text& caption) {
    HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | (owner ? 0 : MB_TASKMODAL));
}

int Win32Platform::ChooseFromMenu(const std::vector<Text>& items, std::optional<ScreenPoint> at) {
    HMENU menu = CreatePopupMenu();
    if (!menu) RaiseSystemError(u"Menü oluşturulamadı");
    UINT_PTR id = 1;
    for (const Text& item : items) {
        if (!AppendMenuW(menu, MF_STRING, id++, Wide(item).c_str())) {
            const DWORD reason = GetLastError();
            DestroyMenu(menu);
            SetLastError(reason);
            RaiseSystemError(u"Menü oluşturulamadı");
        }
    }
    POINT place{};
    if (at) place = POINT{at->x, at->y};
    else GetCursorPos(&place);
    // The menu drops to the side the user's settings say (right-to-left
    // readers, left-handed pens), from the point given.
    const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    // The menu closes when the user clicks elsewhere only if its owner is in front.
    SetForegroundWindow(owner_);
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align,
                                                         place.x, place.y, owner_, nullptr));
    PostMessageW(owner_, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return chosen;
}

Text Win32Platform::WindowsFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) RaiseSystemError(u"Windows klasörü bulunamadı");
    return FromWide(buffer, n);
}

void Win32Platform::EndProgram(int exitCode) {
    // The window goes first and takes its notification-area icon with it;
    // records under way follow it for a moment.
    if (owner_ && IsWindow(owner_)) DestroyWindow(owner_);
    FinishDeliveries();
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace velkora
