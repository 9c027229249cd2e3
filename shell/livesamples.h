// The live values a session keeps over time: which values, their units, one
// sample per completed status pass, a bounded store for them and their CSV
// form. The window's plot and the command-line tool's CSV show the same
// columns.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LiveStatus;

enum class LiveSeries : uint8_t {
    ExtPower,
    Battery,
    Fuel0,
    Fuel1,
    Fuel2,
    Fuel3,
    Fuel4,
    Rssi,
    Speed,
    Satellites,
    InternalTemperature,
    Thermometer1,
    Thermometer2,
    Thermometer3,
    Thermometer4,
    Count,
};

inline constexpr size_t kLiveSeriesCount = static_cast<size_t>(LiveSeries::Count);

struct LiveSeriesTraits {
    const char* caption;  // as the user sees it, UTF-8
    const char* unit;     // UTF-8
    const char* keyword;  // the poll read whose reply fills the value
};

const LiveSeriesTraits& Traits(LiveSeries series);

// One value per series; NaN where the device type lacks the value, the reading
// is not valid or the read failed in the pass.
using LiveValues = std::array<float, kLiveSeriesCount>;

// failed: whether the read of a keyword failed in the pass.
LiveValues SampleOf(const LiveStatus& status, const std::function<bool(std::string_view keyword)>& failed = {});

struct LiveSample {
    int64_t atMs = 0;  // milliseconds since the epoch
    LiveValues values{};
};

// The samples of one session, bounded: it keeps at least the last kKeep
// samples (24 hours at one a second), in blocks of kBlock, and drops the
// oldest block once more would be needed. Filled on the status thread, read
// on the user-interface thread; each call holds the lock briefly.
class CSampleStore {
public:
    static constexpr size_t kBlock = 3600;
    static constexpr size_t kKeep = 24 * 3600;

    explicit CSampleStore(size_t keep = kKeep);

    void Clear();
    void Add(const LiveSample& sample);

    // Samples added since the last Clear, the dropped ones included: a reader
    // that remembers it knows whether anything new came.
    uint64_t Added() const;
    size_t Size() const;
    // When the newest sample was taken; nothing while empty.
    std::optional<int64_t> NewestMs() const;
    // The bytes the kept samples take, blocks allocated whole.
    size_t Bytes() const;

    // The samples taken at or after fromMs, oldest first.
    std::vector<LiveSample> Since(int64_t fromMs) const;
    // Calls each for every kept sample, oldest first, under the lock.
    void ForEach(const std::function<void(const LiveSample&)>& each) const;

private:
    using Block = std::array<LiveSample, kBlock>;

    size_t m_keepBlocks;
    mutable std::mutex m_lock;
    std::deque<std::unique_ptr<Block>> m_blocks;
    size_t m_first = 0;  // in the first block
    size_t m_size = 0;
    uint64_t m_added = 0;
};

// A series as points to draw: at most maxPoints, the lowest and the highest
// value of each stretch of time in order, so peaks stay visible; gaps are NaN.
struct PlotPoint {
    int64_t atMs;
    float value;
};
std::vector<PlotPoint> ReducePoints(const std::vector<LiveSample>& samples, LiveSeries series, size_t maxPoints);

namespace LiveCsv {
// "Время" and one column per series, "caption [unit]".
std::string Header();
// The local date and time, then each value; a missing value is empty.
std::string Row(const LiveSample& sample);
// Writes the header and every kept sample; on failure the reason is set.
bool Save(const CSampleStore& store, const std::string& path, std::string& reason);
}  // namespace LiveCsv
