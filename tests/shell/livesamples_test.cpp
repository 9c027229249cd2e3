#include "shell/livesamples.h"

#include "model/dataserver.h"
#include "shell/livestatus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

size_t I(LiveSeries s) { return static_cast<size_t>(s); }

LiveSample At(int64_t ms, float value) {
    LiveSample s;
    s.atMs = ms;
    s.values.fill(value);
    return s;
}

TEST(LiveSamplesTest, ValuesFollowTheTypeTheReadingsAndTheFailedReads) {
    CDataServer data;
    data.ResetToDefaults(11);
    data.Set(DI_EXT_POWER, PowerRecord{12600, 0});
    FuelSensorRecord fuel;
    data.Get(ItemBase::FuelSensor + 1, fuel);
    fuel.flags = 0x01;
    fuel.liveFlags = 0x02;
    fuel.level = 812;
    data.Set(ItemBase::FuelSensor + 1, fuel);
    fuel.liveFlags = 0;  // in use, but no valid reading
    data.Set(ItemBase::FuelSensor + 2, fuel);
    const LiveStatus status = ReadLiveStatus(data);

    const LiveValues all = SampleOf(status);
    EXPECT_EQ(all[I(LiveSeries::ExtPower)], 12600.0f);
    EXPECT_EQ(all[I(LiveSeries::Fuel1)], 812.0f);
    EXPECT_TRUE(std::isnan(all[I(LiveSeries::Fuel2)]));
    EXPECT_FALSE(std::isnan(all[I(LiveSeries::Speed)]));

    const LiveValues failed = SampleOf(status, [](std::string_view keyword) { return keyword == "REP"; });
    EXPECT_TRUE(std::isnan(failed[I(LiveSeries::ExtPower)]));
    EXPECT_TRUE(std::isnan(failed[I(LiveSeries::Battery)]));
    EXPECT_EQ(failed[I(LiveSeries::Fuel1)], 812.0f);

    // Type 41 has no thermometers, type 3 no GSM module.
    data.ResetToDefaults(41);
    EXPECT_TRUE(std::isnan(SampleOf(ReadLiveStatus(data))[I(LiveSeries::Thermometer1)]));
    data.ResetToDefaults(3);
    EXPECT_TRUE(std::isnan(SampleOf(ReadLiveStatus(data))[I(LiveSeries::Rssi)]));
}

// Kept: at least the bound, at most one block more; the oldest go first.
TEST(LiveSamplesTest, TheStoreKeepsTheNewestWithinItsBound) {
    const size_t keep = 2 * CSampleStore::kBlock;
    CSampleStore store(keep);
    const size_t added = 4 * CSampleStore::kBlock + 10;
    for (size_t i = 0; i < added; ++i)
        store.Add(At(static_cast<int64_t>(i) * 1000, static_cast<float>(i)));
    EXPECT_EQ(store.Added(), added);
    EXPECT_GE(store.Size(), keep);
    EXPECT_LE(store.Size(), keep + CSampleStore::kBlock);
    EXPECT_EQ(store.Bytes() / sizeof(LiveSample) / CSampleStore::kBlock, 3u);

    std::vector<float> seen;
    store.ForEach([&](const LiveSample& s) { seen.push_back(s.values[0]); });
    ASSERT_EQ(seen.size(), store.Size());
    EXPECT_EQ(seen.back(), static_cast<float>(added - 1));
    for (size_t i = 1; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], seen[i - 1] + 1);

    const std::vector<LiveSample> last = store.Since(static_cast<int64_t>(added - 3) * 1000 - 1);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last.front().values[0], static_cast<float>(added - 3));
    EXPECT_EQ(store.Since(0).size(), store.Size());
    EXPECT_EQ(store.NewestMs(), static_cast<int64_t>(added - 1) * 1000);

    store.Clear();
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(store.Added(), 0u);
    EXPECT_TRUE(store.Since(0).empty());
    EXPECT_FALSE(store.NewestMs());
}

// A peak inside a stretch stays; a stretch without values is one gap.
TEST(LiveSamplesTest, ReducedPointsKeepPeaksAndGaps) {
    std::vector<LiveSample> samples;
    for (int i = 0; i < 1000; ++i)
        samples.push_back(At(i, 10.0f));
    samples[333].values.fill(99.0f);
    for (int i = 500; i < 600; ++i)
        samples[static_cast<size_t>(i)].values.fill(std::nanf(""));

    const std::vector<PlotPoint> points = ReducePoints(samples, LiveSeries::Speed, 20);
    EXPECT_LE(points.size(), 20u);
    bool peak = false, gap = false;
    for (size_t i = 0; i < points.size(); ++i) {
        peak |= points[i].value == 99.0f && points[i].atMs == 333;
        gap |= std::isnan(points[i].value);
        if (i > 0) {
            EXPECT_LE(points[i - 1].atMs, points[i].atMs);
        }
    }
    EXPECT_TRUE(peak);
    EXPECT_TRUE(gap);

    EXPECT_EQ(ReducePoints(samples, LiveSeries::Speed, 1000).size(), 1000u);
}

TEST(LiveSamplesTest, CsvHasTheTimeThenOneColumnPerSeriesWithUnits) {
    setenv("TZ", "UTC", 1);
    tzset();
    const std::string header = LiveCsv::Header();
    EXPECT_EQ(header.rfind("Время,Внешнее питание [mV],Батарея [mV],LLS0 [код]", 0), 0u) << header;
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), static_cast<long>(kLiveSeriesCount));

    LiveSample sample = At(86400LL * 1000 * 365 + 61500, std::nanf(""));
    sample.values[I(LiveSeries::ExtPower)] = 12600;
    sample.values[I(LiveSeries::Thermometer4)] = -12;
    const std::string row = LiveCsv::Row(sample);
    EXPECT_EQ(row, "1971-01-01 00:01:01,12600,,,,,,,,,,,,,,-12");
}

}  // namespace
