// The date-and-time source: the time first, then the date, once a second.
#include "window/form1.h"

namespace velkora {

void Form1::Timer4_Timer() {
    const Text time = platform_.TimeText();  // read before the date
    const Text date = platform_.DateText();
    Text4.SetText(time + u" " + date);
    PublishText(Text4.GetText());
}

}  // namespace velkora
