// Form1 over the in-memory controls and the fake platform, loaded as at start.
#pragma once

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "window/form1.h"
#include "memory_controls.h"

namespace velkora::testing {

class FormTest : public ::testing::Test {
protected:
    FormTest() : form(platform, controls) {
        platform.topLevel = {0x1001};
        form.Form.Load();
    }

    MemoryCheckBox& Check(int n) { return controls.Check(n); }
    MemoryTimer& TimerN(int n) { return controls.TimerNumber(n); }
    MemoryTextBox& TextBoxNamed(std::string_view name) { return controls.TextBoxNamed(name); }
    MemoryLabel& LabelNamed(std::string_view name) { return controls.As<MemoryLabel>(name); }
    MemoryCommandButton& Button(int n) { return controls.As<MemoryCommandButton>("Command" + std::to_string(n)); }
    MemoryListBox& List() { return controls.As<MemoryListBox>("List1"); }
    MemoryForm& Window() { return controls.As<MemoryForm>("Form1"); }

    std::vector<DecodedStatus> Sent() const {
        std::vector<DecodedStatus> out;
        for (const auto& d : platform.deliveries) out.push_back(d.Decoded());
        return out;
    }

    FakePlatform platform;
    MemoryControls controls;
    Form1 form;
};

}  // namespace velkora::testing
