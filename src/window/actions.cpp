// The window's own actions: moving by the banner, the web link and closing.
#include "window/actions.h"

#include "window/form1.h"
#include "window/form1_layout.h"
#include "window/tray.h"

namespace velkora {

void BeginWindowDrag(Platform& platform, const FormWindow& window) {
    platform.ReleaseMouseCapture();
    platform.SendCaptionPress(window.WindowHandle());
}

void Form1::Image2_MouseDown() { BeginWindowDrag(platform_, Form); }

void Form1::Label13_Click() {
    constexpr int kMaximizedWithFocus = 3;
    // The system's explorer by its full path: a program of that name lying
    // beside Velkora.exe or in the current folder is never run instead. A
    // page that cannot be opened is said so; the program goes on.
    const Text explorer = u"\"" + platform_.WindowsFolder() + u"\\explorer.exe\"";
    if (!platform_.Launch(explorer + u" https://" + kWebHost, kMaximizedWithFocus))
        platform_.ShowMessage(Text(u"Web sayfası açılamadı: https://") + kWebHost, kAppTitle);
}

void Form1::Label71_Click() {
    // Whether or not an icon was ever added; closing sends nothing to the messenger.
    TrayDelete(platform_, picSystemTray.WindowHandle(), kTrayIconId);
    platform_.EndProgram(0);
}

}  // namespace velkora
