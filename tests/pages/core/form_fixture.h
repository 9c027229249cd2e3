// A form on a type 11 record (GSM with two SIMs and WiFi, eight inputs, four
// outputs, the accelerometer, both thermometer kinds, RS-485) against the fake host.
#pragma once

#include "model/dataserver.h"
#include "tests/support/fake_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Strings = std::vector<std::string>;

template <class Form> class FormFixture : public testing::Test {
protected:
    void SetUp() override { data.ResetToDefaults(11); }

    void ChangeType(void (*change)(DeviceTypeRecord&)) { Change<DeviceTypeRecord>(DI_DEV_TYPE, change); }
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
    // A load whose own requests (the corrections a load makes) are dropped.
    void Load() {
        form.Load();
        host.ClearRequests();
    }

    CDataServer data;
    FakePageHost host;
    Form form{data, host};
};
