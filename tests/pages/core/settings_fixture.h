// The settings form on a record whose fuel level sensors' protocol bits agree
// with their in-use flags, as the main page's load leaves them.
#pragma once

#include "pages/core/settingsform.h"
#include "tests/pages/core/form_fixture.h"

using SC = SettingsControl;

constexpr uint32_t kInputsOf(int n) { return (1u << 16) | (static_cast<uint32_t>(n) << 17); }
constexpr uint32_t kThermometersOf(int n) { return 0x2u | (static_cast<uint32_t>(n) << 3); }

class SettingsFixture : public FormFixture<CSettingsForm> {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) { p.set[0][7] = 0x1E; });
    }
};
