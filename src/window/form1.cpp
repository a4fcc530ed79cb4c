#include "window/form1.h"

#include <new>

#include "sources/number_text.h"
#include "status/publish.h"
#include "window/form1_layout.h"

namespace velkora {

Form1::Form1(Platform& platform, ControlSet& c)
    : Form(c.Get<FormWindow>("Form1")),
      Check1(c.Get<CheckBox>("Check1")), Check2(c.Get<CheckBox>("Check2")),
      Check3(c.Get<CheckBox>("Check3")), Check4(c.Get<CheckBox>("Check4")),
      Check5(c.Get<CheckBox>("Check5")),
      Option1(c.Get<OptionButton>("Option1")), Option2(c.Get<OptionButton>("Option2")),
      Option3(c.Get<OptionButton>("Option3")),
      Text1(c.Get<TextBox>("Text1")), Text2(c.Get<TextBox>("Text2")), Text3(c.Get<TextBox>("Text3")),
      Text4(c.Get<TextBox>("Text4")), Text5(c.Get<TextBox>("Text5")), Text9(c.Get<TextBox>("Text9")),
      Text10(c.Get<TextBox>("Text10")), Text11(c.Get<TextBox>("Text11")),
      Label12(c.Get<Label>("Label12")), Label13(c.Get<Label>("Label13")), Label14(c.Get<Label>("Label14")),
      Label15(c.Get<Label>("Label15")), Label16(c.Get<Label>("Label16")), Label17(c.Get<Label>("Label17")),
      Label71(c.Get<Label>("Label71")),
      Command1(c.Get<CommandButton>("Command1")), Command2(c.Get<CommandButton>("Command2")),
      Command3(c.Get<CommandButton>("Command3")), Command4(c.Get<CommandButton>("Command4")),
      Command5(c.Get<CommandButton>("Command5")), Command6(c.Get<CommandButton>("Command6")),
      Command7(c.Get<CommandButton>("Command7")),
      List1(c.Get<ListBox>("List1")),
      Timer1(c.Get<Timer>("Timer1")), Timer2(c.Get<Timer>("Timer2")), Timer3(c.Get<Timer>("Timer3")),
      Timer4(c.Get<Timer>("Timer4")), Timer5(c.Get<Timer>("Timer5")),
      picSystemTray(c.Get<PictureBox>("picSystemTray")),
      picSystemTrayIcon1(c.Get<PictureBox>("picSystemTrayIcon1")),
      Image2(c.Get<Image>("Image2")),
      platform_(platform) {
    auto on = [this](void (Form1::*handler)()) {
        return [this, handler] { RunTrapped([this, handler] { (this->*handler)(); }); };
    };
    auto option = [this](void (Form1::*handler)(int)) {
        return [this, handler](int index) { RunTrapped([this, handler, index] { (this->*handler)(index); }); };
    };
    Option1.Click = option(&Form1::Option1_Click);
    Option2.Click = option(&Form1::Option2_Click);
    Option3.Click = option(&Form1::Option3_Click);
    Command1.Click = on(&Form1::Command1_Click);
    Command2.Click = on(&Form1::Command2_Click);
    Check1.Click = on(&Form1::Check1_Click);
    Check2.Click = on(&Form1::Check2_Click);
    Check3.Click = on(&Form1::Check3_Click);
    Check4.Click = on(&Form1::Check4_Click);
    Check5.Click = on(&Form1::Check5_Click);
    Command3.Click = on(&Form1::Command3_Click);
    Command4.Click = on(&Form1::Command4_Click);
    Command5.Click = on(&Form1::Command5_Click);
    Command6.Click = on(&Form1::Command6_Click);
    Command7.Click = on(&Form1::Command7_Click);
    List1.Click = on(&Form1::List1_Click);
    Timer1.Tick = on(&Form1::Timer1_Timer);
    Timer2.Tick = on(&Form1::Timer2_Timer);
    Timer3.Tick = on(&Form1::Timer3_Timer);
    Timer4.Tick = on(&Form1::Timer4_Timer);
    Timer5.Tick = on(&Form1::Timer5_Timer);
    Label14.Click = on(&Form1::Label14_Click);
    Label13.Click = on(&Form1::Label13_Click);
    Label71.Click = on(&Form1::Label71_Click);
    Image2.MouseDown = on(&Form1::Image2_MouseDown);
    Form.Load = on(&Form1::Form_Load);
    Form.TaskbarCreated = on(&Form1::TaskbarCreated);
    Form.StartedAgain = on(&Form1::SecondStart);
    // Runs even while an error ends the program: it only takes the icon down.
    Form.Unload = [this] { Skip([this] { Form_Unload(); }); };
    picSystemTray.MouseMove = [this](int message, std::optional<ScreenPoint> at) {
        RunTrapped([this, message, at] { picSystemTray_MouseMove(message, at); });
    };
}

void Form1::RunTrapped(const std::function<void()>& handler) {
    // Once an error is being reported the program is ending: nothing more runs.
    if (platform_.Ending()) return;
    try {
        handler();
    } catch (...) {
        platform_.EndWithError(errors::CurrentError());
    }
}

void Form1::Skip(const std::function<void()>& step) {
    try {
        step();
    } catch (const RuntimeError&) {
        // skip-on-failure: the step is dropped without a message
    } catch (const std::bad_alloc&) {
    }
}

void Form1::PublishText(const Text& text) {
    PublishStatus(platform_, text, u"", u"", StatusCategory, Text(), u"{0}", kShowTrue);
}

void Form1::PublishPhrase(const Text& phrase) {
    PublishStatus(platform_, u"", u"", phrase, StatusCategory, Text(), u"{1}{0}", kShowTrue);
}

double Form1::Number(const Text& text) { return ParseNumber(text, platform_.DecimalSeparator()); }

Text Form1::NumberText(double value) { return DoubleText(value, platform_.DecimalSeparator()); }

}  // namespace velkora
