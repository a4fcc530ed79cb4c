// The source option interlocks: one source box ticked at a time. They only
// switch Enabled states; they never tick a box, start a timer or publish.
#include "window/form1.h"

namespace velkora {

namespace {

void ApplyInterlock(CheckBox& self, std::initializer_list<CheckBox*> others) {
    // Ticked: the others are disabled and the box itself is left as it is.
    // Cleared: all five are enabled again.
    const bool ticked = self.Ticked();
    if (!ticked) self.SetEnabled(true);
    for (CheckBox* other : others) other->SetEnabled(!ticked);
}

}  // namespace

void Form1::Check1_Click() { ApplyInterlock(Check1, {&Check2, &Check3, &Check4, &Check5}); }
void Form1::Check2_Click() { ApplyInterlock(Check2, {&Check1, &Check3, &Check4, &Check5}); }
void Form1::Check3_Click() { ApplyInterlock(Check3, {&Check1, &Check2, &Check4, &Check5}); }
void Form1::Check4_Click() { ApplyInterlock(Check4, {&Check1, &Check2, &Check3, &Check5}); }

void Form1::Check5_Click() {
    ApplyInterlock(Check5, {&Check1, &Check2, &Check3, &Check4});
    const bool ticked = Check5.Ticked();
    for (Control* c : std::initializer_list<Control*>{&Text2, &Command3, &List1, &Command7, &Command6})
        c->SetEnabled(ticked);
    if (!ticked) Text9.SetEnabled(false);  // the current phrase is never open for typing
}

}  // namespace velkora
