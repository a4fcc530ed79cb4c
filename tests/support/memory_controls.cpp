#include "memory_controls.h"

namespace velkora {

MemoryControls::MemoryControls() {
    Handle nextHandle = 0x100;
    for (const ControlSpec& s : Form1Layout()) {
        std::unique_ptr<Control> c;
        const Text text = s.text ? Text(s.text) : Text();
        switch (s.kind) {
            case Kind::Label: {
                auto l = std::make_unique<MemoryLabel>();
                l->caption = text;
                c = std::move(l);
                break;
            }
            case Kind::CheckBox: c = std::make_unique<MemoryCheckBox>(); break;
            case Kind::OptionButton: {
                auto o = std::make_unique<MemoryOptionButton>(s.index, &options_);
                o->value = options_.empty();  // the first of the group starts selected
                options_.push_back(o.get());
                c = std::move(o);
                break;
            }
            case Kind::TextBox: {
                auto t = std::make_unique<MemoryTextBox>(s.maxLength, BeyondTheEdge(s));
                t->text = text;
                c = std::move(t);
                break;
            }
            case Kind::CommandButton: c = std::make_unique<MemoryCommandButton>(); break;
            case Kind::ListBox: {
                auto l = std::make_unique<MemoryListBox>();
                for (const char16_t* phrase : DefaultPhrases()) l->entries.emplace_back(phrase);
                c = std::move(l);
                break;
            }
            case Kind::PictureBox: {
                Handle window = nextHandle++;
                c = std::make_unique<MemoryPictureBox>(window, nextHandle++);
                break;
            }
            case Kind::Image: c = std::make_unique<MemoryImage>(); break;
            case Kind::Line: continue;
        }
        c->SetEnabled(s.enabled);
        controls_.emplace(s.name, std::move(c));
    }
    for (const TimerSpec& t : Form1Timers()) {
        auto timer = std::make_unique<MemoryTimer>(t.interval);
        timer->enabled = t.enabled;
        controls_.emplace(t.name, std::move(timer));
    }
    controls_.emplace("Form1", std::make_unique<MemoryForm>());
}

Control* MemoryControls::Find(std::string_view name) {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

}  // namespace velkora
