// The publishing controller: load, the category options, and the two buttons
// that start and stop publishing.
#include "sources/processor.h"
#include "status/publish.h"
#include "window/form1.h"

namespace velkora {

void Form1::Form_Load() {
    StatusCategory = u"Music";
    Timer2.SetEnabled(true);  // already running; enabling again changes nothing
}

void Form1::Option1_Click(int) { StatusCategory = u"Music"; }
void Form1::Option2_Click(int) { StatusCategory = u"Office"; }
void Form1::Option3_Click(int) { StatusCategory = u"Games"; }

void Form1::Command1_Click() {
    if (Check1.Ticked()) {
        Timer3.SetEnabled(true);
        PublishText(Text10.GetText());
    } else {
        Timer3.SetEnabled(false);
    }
    Timer1.SetEnabled(Check5.Ticked());  // the phrase countdown goes on from where it stands
    Timer4.SetEnabled(Check3.Ticked());
    Timer5.SetEnabled(Check2.Ticked());
    ProcessorSpeedStep();
}

void Form1::ProcessorSpeedStep() {
    if (!Check4.Ticked()) {
        Text11.SetText(u"");
        return;
    }
    std::int32_t mhz = 0;
    try {
        mhz = ProcessorMHz(platform_);
    } catch (const RuntimeError& e) {
        // A failed read is shown, but it does not end the program: the timers
        // already switched stay so, Text11 keeps its text, nothing is sent.
        platform_.ShowError(e);
        return;
    }
    Text11.SetText(u"İşlemci Hızım: " + WholeNumberText(mhz) + u" MHz");
    PublishText(Text11.GetText());
}

void Form1::Command2_Click() {
    // The turn-off record always carries Music, whatever the chosen category.
    PublishStatus(platform_, u"", u"", u"", u"Music", Text(), u"{0} - {1}", kShowFalse);
    Timer1.SetEnabled(false);
    Timer3.SetEnabled(false);
    Timer4.SetEnabled(false);
    Timer5.SetEnabled(false);
}

}  // namespace velkora
