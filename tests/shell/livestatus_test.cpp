#include "shell/livestatus.h"

#include "model/dataserver.h"

#include <gtest/gtest.h>

namespace {

// The families come whole, as the type counts them, with no page's limit of four.
TEST(LiveStatusTest, FamiliesFollowTheTypeAndAbsentHardwareStaysAbsent) {
    const struct {
        int type;
        size_t inputs, outputs, thermometers;
        bool gsm, key, lls0;
    } cases[] = {
        {11, 8, 4, 4, true, true, true},
        {70, 4, 1, 2, true, true, false},
        {41, 0, 0, 0, true, false, false},
        {3, 4, 2, 2, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        CDataServer data;
        data.ResetToDefaults(c.type);
        data.Set(DI_AUX_POWER, PowerRecord{11200, 0});
        const LiveStatus s = ReadLiveStatus(data);
        EXPECT_EQ(s.inputs.size(), c.inputs);
        EXPECT_EQ(s.outputs.size(), c.outputs);
        size_t thermometers = 0;
        for (const auto& t : s.thermometers)
            thermometers += t.has_value();
        EXPECT_EQ(thermometers, c.thermometers);
        EXPECT_EQ(s.gsm.has_value(), c.gsm);
        EXPECT_EQ(s.key.has_value(), c.key);
        EXPECT_EQ(s.fuel[0].has_value(), c.lls0);
        EXPECT_EQ(s.auxPower.millivolts, 11200);
    }
}

TEST(LiveStatusTest, TheLastOutputAndInputOfAType) {
    CDataServer data;
    data.ResetToDefaults(11);
    InputRecord in;
    data.Get(ItemBase::Input + 8, in);
    in.mode = 2;
    in.value2 = 777;
    data.Set(ItemBase::Input + 8, in);
    OutputRecord out;
    data.Get(ItemBase::Output + 4, out);
    out.liveState = 1;
    data.Set(ItemBase::Output + 4, out);
    const LiveStatus s = ReadLiveStatus(data);
    EXPECT_EQ(s.inputs[7].mode, 2);
    EXPECT_EQ(s.inputs[7].value, 777);
    EXPECT_EQ(s.outputs[3].state, 1);
}

TEST(LiveStatusTest, DecimalDegreesAreNegativeSouthAndWest) {
    EXPECT_DOUBLE_EQ(DecimalDegrees({55, 30, 0, 'N'}), 55.5);
    EXPECT_DOUBLE_EQ(DecimalDegrees({55, 30, 0, 'S'}), -55.5);
    EXPECT_DOUBLE_EQ(DecimalDegrees({37, 0, 3000, 'E'}), 37.005);
    EXPECT_DOUBLE_EQ(DecimalDegrees({37, 0, 3000, 'W'}), -37.005);
}

}  // namespace
