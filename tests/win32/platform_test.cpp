// The Win32 platform calls as they really answer under Wine or Windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <oleauto.h>

#include <random>

#include "platform/runtime_error.h"
#include "platform/win32_notification_icon.h"
#include "platform/win32_platform.h"
#include "platform/win32_text.h"
#include "sources/number_text.h"
#include "sources/processor.h"
#include "window/win32_controls.h"
#include "window/win32_form1_controls.h"

namespace velkora {
namespace {

class Com : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    Win32Platform platform;
};

TEST_F(Com, ProcessorMHzMatchesADirectRegistryRead) {
    DWORD value = 0, size = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"~MHz",
                           RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(ProcessorMHz(platform), static_cast<std::int32_t>(value));
}

TEST_F(Com, AMissingValueRaisesAnErrorWithNumberAndDescription) {
    try {
        platform.InvokeByName(u"WScript.Shell", u"regread",
                              u"HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\~Velkora");
        FAIL() << "a missing value was read";
    } catch (const RuntimeError& e) {
        EXPECT_NE(e.Number(), 0);
        EXPECT_FALSE(e.Description().empty());
    }
}

TEST_F(Com, AnUnknownObjectRaisesAnError) {
    EXPECT_THROW(platform.InvokeByName(u"Velkora.NoSuchObject", u"regread", u"x"), RuntimeError);
}

// The core's number text must be exactly the platform's default conversion
// of a double, VarBstrFromR8, for megabyte figures.
// The screen reader's enumerator of the window's children, over the real
// controls, in the process that holds it, as a reader's code loaded there
// calls it (across processes the marshaller fills in a missing count):
// every edge of its contract.
TEST_F(Com, TheReadersEnumeratorKeepsItsContractAtEveryEdge) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 404, 571, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    auto controls = std::make_shared<Form1Controls>(window, GetModuleHandleW(nullptr), 96, nullptr, nullptr);
    controls->Create();
    IAccessible* client = controls->ClientObject();
    ASSERT_NE(client, nullptr);
    client->AddRef();
    IEnumVARIANT* walk = nullptr;
    ASSERT_EQ(client->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&walk)), S_OK);
    const auto references = [](IUnknown* object) {
        object->AddRef();
        return object->Release();
    };
    const ULONG clientBefore = references(client);
    // The name of what it handed out, and of the child with that id asked of the client.
    auto name = [&](VARIANT item, long id) {
        VARIANT self{}, child{};
        self.vt = child.vt = VT_I4;
        child.lVal = id;
        BSTR handed = nullptr, asked = nullptr;
        IAccessible* object = nullptr;
        if (item.vt == VT_DISPATCH) item.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object));
        if (object) object->get_accName(self, &handed);
        client->get_accName(child, &asked);
        const bool same = object && handed && asked && std::wstring(handed) == asked;
        if (object) object->Release();
        SysFreeString(handed);
        SysFreeString(asked);
        return same;
    };
    const auto n = static_cast<ULONG>(controls->Children().size());
    ASSERT_EQ(n, 35u);
    struct Edge {
        const char* what;
        ULONG skip;
        HRESULT skipped;
        ULONG asked;
        bool counted;
        HRESULT answered;
        ULONG got;
    };
    for (const Edge& e : {Edge{"from the start", 0, S_OK, 2, true, S_OK, 2},
                          Edge{"to the last", n - 1, S_OK, 2, true, S_FALSE, 1},
                          Edge{"to the end", n, S_OK, 1, true, S_FALSE, 0},
                          Edge{"past the end", n + 1, S_FALSE, 1, true, S_FALSE, 0},
                          Edge{"as far as a count goes", 0xFFFFFFFF, S_FALSE, 1, true, S_FALSE, 0},
                          Edge{"one without a count", 1, S_OK, 1, false, S_OK, 1},
                          Edge{"two without a count", 0, S_OK, 2, false, E_INVALIDARG, 0},
                          Edge{"none", 0, S_OK, 0, true, S_OK, 0}}) {
        SCOPED_TRACE(e.what);
        EXPECT_EQ(walk->Reset(), S_OK);
        EXPECT_EQ(walk->Skip(e.skip), e.skipped);
        VARIANT items[2] = {};
        ULONG got = 99;
        EXPECT_EQ(walk->Next(e.asked, items, e.counted ? &got : nullptr), e.answered);
        if (e.counted) {
            EXPECT_EQ(got, e.got);
        }
        for (ULONG i = 0; i < 2; ++i) {
            if (i < e.got) EXPECT_TRUE(name(items[i], static_cast<long>(e.skip + i + 1))) << i;
            else EXPECT_EQ(items[i].vt, VT_EMPTY) << i;
            VariantClear(&items[i]);
        }
    }
    // A copy stands where the original stood, and goes on alone.
    EXPECT_EQ(walk->Next(1, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(walk->Clone(nullptr), E_INVALIDARG);
    walk->Reset();
    walk->Skip(3);
    IEnumVARIANT* copy = nullptr;
    ASSERT_EQ(walk->Clone(&copy), S_OK);
    EXPECT_EQ(walk->Skip(n), S_FALSE);
    VARIANT item{};
    EXPECT_EQ(copy->Next(1, &item, nullptr), S_OK);
    EXPECT_TRUE(name(item, 4));
    VariantClear(&item);
    copy->Release();
    // Every reference the walk handed out was taken back; each child's parent
    // is the client object itself, every time it is asked.
    EXPECT_EQ(references(client), clientBefore);
    IAccessible* label = controls->ElementObject(*controls->Children().back().element);
    ASSERT_NE(label, nullptr);
    const ULONG labelBefore = references(label);
    IUnknown* clientItself = nullptr;
    client->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&clientItself));
    for (int i = 0; i < 2; ++i) {
        IDispatch* parent = nullptr;
        ASSERT_EQ(label->get_accParent(&parent), S_OK);
        IUnknown* parentItself = nullptr;
        parent->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&parentItself));
        EXPECT_EQ(parentItself, clientItself);
        parentItself->Release();
        parent->Release();
    }
    clientItself->Release();
    EXPECT_EQ(references(label), labelBefore);
    EXPECT_EQ(references(client), clientBefore);
    // Held after the window is gone, the objects answer errors.
    label->AddRef();
    walk->Release();
    controls.reset();
    DestroyWindow(window);
    VARIANT self{};
    self.vt = VT_I4;
    BSTR gone = nullptr;
    EXPECT_TRUE(FAILED(label->get_accName(self, &gone)));
    long count = -1;
    client->get_accChildCount(&count);
    EXPECT_EQ(count, 0);
    label->Release();
    client->Release();
}

TEST(NumberText, MatchesVarBstrFromR8OnManyMegabyteFigures) {
    struct Locale { LCID lcid; const char16_t* separator; };
    std::mt19937_64 random(20261208);
    int compared = 0;
    for (const Locale locale : {Locale{0x041F, u","}, Locale{0x0409, u"."}}) {
        for (int i = 0; i < 20000; ++i) {
            const std::uint64_t bytes = i < 10 ? (1ull << (22 + i)) - (i % 2) : random() % (1ull << 36);
            const double mb = static_cast<double>(bytes) / 1024 / 1024;
            BSTR text = nullptr;
            ASSERT_EQ(VarBstrFromR8(mb, locale.lcid, 0, &text), S_OK);
            const Text expected = FromWide(text, SysStringLen(text));
            SysFreeString(text);
            ASSERT_EQ(DoubleText(mb, locale.separator), expected) << bytes;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 40000);
    BSTR tie = nullptr;
    VarBstrFromR8(619479.9853515625, 0x0409, 0, &tie);
    EXPECT_EQ(FromWide(tie, SysStringLen(tie)), DoubleText(619479.9853515625, u"."));
    SysFreeString(tie);
}

TEST(Platform, MemoryFiguresAreTheSystemsSixtyFourBitOnes) {
    Win32Platform platform;
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    GlobalMemoryStatusEx(&m);
    const MemoryFigures f = platform.MemoryStatus();
    EXPECT_EQ(f.totalPhys, m.ullTotalPhys);
    EXPECT_LE(f.load, 100u);
    EXPECT_LE(f.availPhys, f.totalPhys);
}

// What the icon asks of the shell, read from the records it hands over.
std::vector<std::pair<DWORD, NOTIFYICONDATAW>> asked;
DWORD refusing = 0;  // one bit per message the shell refuses
BOOL WINAPI RecordingShell(DWORD message, PNOTIFYICONDATAW data) {
    asked.emplace_back(message, *data);
    return (refusing >> message & 1) == 0;
}

TEST(NotificationIcon, AsksForVersionFourAndTheTooltip) {
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    const HICON picture = reinterpret_cast<HICON>(0x5678);
    enum Act { kShow, kRemove, kReturnFocus };
    struct Row { Act act; DWORD refusing; std::vector<DWORD> asked; };
    for (const Row& row : {Row{kShow, 0, {NIM_ADD, NIM_SETVERSION}},
                           Row{kShow, 1 << NIM_ADD, {NIM_ADD, NIM_MODIFY, NIM_SETVERSION}},  // the shell holds it already
                           Row{kShow, 1 << NIM_ADD | 1 << NIM_MODIFY, {NIM_ADD, NIM_MODIFY, NIM_DELETE}},
                           Row{kRemove, 0, {NIM_DELETE}}, Row{kReturnFocus, 0, {NIM_SETFOCUS}}}) {
        asked.clear();
        refusing = row.refusing;
        NotificationIcon icon(RecordingShell);
        switch (row.act) {
            case kShow: EXPECT_EQ(icon.Show(owner, 1, picture, u"Velkora"), row.asked.back() != NIM_DELETE); break;
            case kRemove: icon.Remove(owner, 1); break;
            case kReturnFocus: icon.ReturnFocus(owner, 1); break;
        }
        ASSERT_EQ(asked.size(), row.asked.size());
        for (std::size_t i = 0; i < asked.size(); ++i) {
            const auto& [message, r] = asked[i];
            const bool shows = message != NIM_DELETE && message != NIM_SETFOCUS;
            EXPECT_EQ(message, row.asked[i]);
            EXPECT_TRUE(r.cbSize == sizeof r && r.hWnd == owner && r.uID == 1);
            EXPECT_EQ(r.uFlags, shows ? UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP} : 0u) << message;
            EXPECT_EQ(r.uCallbackMessage, shows ? 512u : 0u);
            EXPECT_EQ(r.hIcon, shows ? picture : nullptr);
            EXPECT_STREQ(r.szTip, shows ? L"Velkora" : L"");
            EXPECT_EQ(r.uVersion, message == NIM_SETVERSION ? 4u : 0u);
        }
    }
}

TEST(Platform, ATimerTheSystemRefusesRaisesAnErrorAndStaysOff) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    Win32Timer timer(gone, 1, 1000);
    EXPECT_THROW(timer.SetEnabled(true), RuntimeError);
    EXPECT_FALSE(timer.Enabled());
}

}  // namespace
}  // namespace velkora
