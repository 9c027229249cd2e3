// A settings form on a type 11 record (eight inputs, four outputs, the
// accelerometer, both thermometer kinds, GSM, RS-485) against the fake host.
#pragma once

#include "model/dataserver.h"
#include "pages/core/settingsform.h"
#include "tests/pages/core/fake_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Strings = std::vector<std::string>;
using SC = SettingsControl;

inline const Strings kPrsetRequests = {"PRSET10;SET", "PRSET11;SET"};

constexpr uint32_t kInputsOf(int n) { return (1u << 16) | (static_cast<uint32_t>(n) << 17); }
constexpr uint32_t kThermometersOf(int n) { return 0x2u | (static_cast<uint32_t>(n) << 3); }

class SettingsFixture : public testing::Test {
protected:
    // The fuel level sensors' protocol bits agree with their in-use flags, as
    // the main page's load leaves them.
    void SetUp() override {
        data.ResetToDefaults(11);
        Change<ProtocolSetRecord>(DI_PRSET_1, [](ProtocolSetRecord& p) { p.set[0][7] = 0x1E; });
    }

    void ChangeType(void (*change)(DeviceTypeRecord&)) {
        DeviceTypeRecord type;
        data.Get(DI_DEV_TYPE, type);
        change(type);
        data.Set(DI_DEV_TYPE, type);
    }
    template <class R> R Item(int item) {
        R record;
        data.Get(item, record);
        return record;
    }
    template <class R, class F> void Change(int item, F change) {
        R record = Item<R>(item);
        change(record);
        data.Set(item, record);
    }
    // A load whose own requests (the thermometer bit correction) are dropped.
    void Load() {
        form.Load();
        host.ClearRequests();
    }

    CDataServer data;
    FakePageHost host;
    CSettingsForm form{data, host};
};
