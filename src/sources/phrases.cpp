// The phrase source: the user's list, the interval, the countdown and the
// random choice. The interval lives only as the text of Text3 and the
// countdown as the caption of Label12.
#include "window/form1.h"
#include "window/form1_layout.h"

namespace velkora {

void Form1::Command3_Click() {
    // No entry is longer than the box lets a user type, or holds half a
    // character, whatever the box was left with (another program can set
    // any text in it).
    static const std::size_t limit = static_cast<std::size_t>(FindSpec("Text2")->maxLength);
    const Text phrase = WholeCharacters(TextView(Text2.GetText()).substr(0, limit));
    if (phrase.empty()) {
        platform_.ShowMessage(u"Boş bırakmayınız", kAppTitle);
    } else if (List1.ListCount() >= ListBox::kMaxEntries) {
        // A full list refuses the phrase instead of failing inside the handler.
        platform_.ShowMessage(u"Liste dolu: en fazla 32767 kelime eklenebilir.", kAppTitle);
    } else {
        List1.AddItem(phrase);
        Text9.SetText(List1.List(0));  // the top of the list, not the phrase just added
    }
    Text2.SetText(u"");
}

void Form1::Command7_Click() {
    Skip([this] { List1.RemoveItem(List1.ListIndex()); });  // fails without a selection
    Skip([this] { Text9.SetText(u""); });
}

void Form1::Command6_Click() { List1.Clear(); }

void Form1::Command4_Click() {
    Text3.SetText(NumberText(Number(Text3.GetText()) + 1));
    Label12.SetCaption(NumberText(Number(Label12.Caption()) + 1));
}

void Form1::Command5_Click() {
    Text3.SetText(NumberText(Number(Text3.GetText()) - 1));
    Label12.SetCaption(NumberText(Number(Label12.Caption()) - 1));
    // The countdown is clamped only once the interval has reached 0.
    if (!(Number(Text3.GetText()) > 0)) {
        Text3.SetText(u"0");
        if (!(Number(Label12.Caption()) > 0)) Label12.SetCaption(u"0");
    }
}

void Form1::List1_Click() {
    Skip([this] { Text9.SetText(List1.List(List1.ListIndex())); });
    Skip([this] { PublishPhrase(Text9.GetText()); });
}

void Form1::Timer1_Timer() {
    Skip([this] { Label12.SetCaption(NumberText(Number(Label12.Caption()) - 1)); });
    bool runOut = true;
    Skip([this, &runOut] { runOut = !(Number(Label12.Caption()) > 0); });
    if (!runOut) return;

    Skip([this] { Label12.SetCaption(Text3.GetText()); });
    int position = 0;
    Skip([this, &position] { position = picker_.Position(List1.ListCount()); });
    Skip([this, position] { Text9.SetText(List1.List(position)); });
    // Selecting runs the click steps at once, which publish the phrase; with
    // an empty list there is nothing to select and the step is skipped.
    Skip([this, position] { List1.SetListIndex(position); });
    Skip([this] { PublishPhrase(Text9.GetText()); });
}

}  // namespace velkora
