// Form1: the one window's state and every handler of its controls, written
// once against the control model and the platform interface.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/platform.h"
#include "sources/phrase_picker.h"
#include "window/controls.h"

namespace velkora {

class Form1 {
public:
    // Binds the controls by name and attaches the handlers to their events,
    // each under its error convention.
    Form1(Platform& platform, ControlSet& controls);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The icon category sent with every status line: "Music", "Office" or "Games".
    Text StatusCategory;

    // Publishing controller.
    void Form_Load();
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Option3_Click(int index);
    void Command1_Click();
    void Command2_Click();

    // Source option interlocks.
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();

    // Sources.
    void Timer2_Timer();  // refreshes the uptime sentence
    void Timer3_Timer();  // publishes the uptime sentence
    void Timer5_Timer();  // memory
    void Timer4_Timer();  // date and time
    void Command3_Click();  // add a phrase
    void Command7_Click();  // remove the selected phrase
    void Command6_Click();  // clear the list
    void Command4_Click();  // interval +
    void Command5_Click();  // interval -
    void List1_Click();
    void Timer1_Timer();  // the phrase countdown

    // Tray icon and window actions.
    void Label14_Click();
    void picSystemTray_MouseMove(int message, std::optional<ScreenPoint> at);
    void TaskbarCreated();
    void IconPictureChanged();  // the icon's picture was made again (another DPI)
    void SecondStart();  // another start of the program hands over to this one
    void Form_Unload();  // the window is going, by whatever road
    void Image2_MouseDown();
    void Label13_Click();
    void Label71_Click();

    FormWindow& Form;
    CheckBox &Check1, &Check2, &Check3, &Check4, &Check5;
    OptionButton &Option1, &Option2, &Option3;
    TextBox &Text1, &Text2, &Text3, &Text4, &Text5, &Text9, &Text10, &Text11;
    Label &Label12, &Label13, &Label14, &Label15, &Label16, &Label17, &Label71;
    CommandButton &Command1, &Command2, &Command3, &Command4, &Command5, &Command6, &Command7;
    ListBox& List1;
    Timer &Timer1, &Timer2, &Timer3, &Timer4, &Timer5;
    PictureBox &picSystemTray, &picSystemTrayIcon1;
    Image& Image2;

private:
    // Error conventions. RunTrapped runs a handler that traps nothing: an
    // error it meets is shown with its number and description and the
    // program ends; while that message is up no handler runs. Skip runs one
    // step of a skip-on-failure handler and drops its error.
    void RunTrapped(const std::function<void()>& handler);
    void Skip(const std::function<void()>& step);

    // The window goes to the notification area: it hides and the icon
    // shows, or, when the shell shows none, the window stays up.
    void ShowIconOrWindow();
    // Shows the window and takes the icon down.
    void Restore();
    // The icon's menu, at the anchor the keyboard opened it at, else at the
    // pointer: show the window, or end the program as "X" does.
    void IconMenu(std::optional<ScreenPoint> anchor);

    // Pattern A (one source text), pattern B (a phrase).
    void PublishText(const Text& text);
    void PublishPhrase(const Text& phrase);
    void ProcessorSpeedStep();

    double Number(const Text& text);
    Text NumberText(double value);

    Platform& platform_;
    PhrasePicker picker_;
    std::optional<std::uint64_t> lastIconClick_;  // when the icon's last single click ended
    int lastIconEvent_ = 0;  // the icon's last event: a right click's release comes before its menu request
    // Whether the window waits in the notification area is this one state:
    // asked for (by "Beni Gizle |" or the start state) until it is restored,
    // and the icon there or not. The window is shown unless both hold.
    bool inTray_ = false;
    bool iconShown_ = false;
};

}  // namespace velkora
