#include "shell/livesamples.h"

#include "shell/livestatus.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>

namespace {

using S = LiveSeries;

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

constexpr LiveSeriesTraits kTraits[] = {
    {"Внешнее питание", "mV", "REP"}, {"Батарея", "mV", "REP"},      {"LLS0", "код", "LLS0"},
    {"LLS1", "код", "LLS1"},          {"LLS2", "код", "LLS2"},       {"LLS3", "код", "LLS3"},
    {"LLS4", "код", "LLS4"},          {"Сигнал GSM", "RSSI", "GSM"}, {"Скорость", "км/ч", "GNSS"},
    {"Спутники", "шт.", "GNSS"},      {"Tint", "°C", "TSENS"},       {"Text1", "°C", "THERMO1"},
    {"Text2", "°C", "THERMO2"},       {"Text3", "°C", "THERMO3"},    {"Text4", "°C", "THERMO4"},
};
static_assert(std::size(kTraits) == kLiveSeriesCount);

constexpr size_t I(LiveSeries s) { return static_cast<size_t>(s); }

template <class T, class Value> float Of(const std::optional<T>& present, Value value) {
    return present ? static_cast<float>(value(*present)) : kNone;
}

}  // namespace

const LiveSeriesTraits& Traits(LiveSeries series) { return kTraits[I(series)]; }

LiveValues SampleOf(const LiveStatus& s, const std::function<bool(std::string_view keyword)>& failed) {
    LiveValues v;
    v.fill(kNone);
    const auto millivolts = [](const PowerRecord& p) { return p.millivolts; };
    v[I(S::ExtPower)] = Of(s.extPower, millivolts);
    v[I(S::Battery)] = Of(s.battery, millivolts);
    for (size_t k = 0; k < kFuelSensors; ++k)
        if (const auto& fuel = s.fuel[k]; fuel && fuel->inUse && fuel->valid)
            v[I(S::Fuel0) + k] = fuel->level;
    v[I(S::Rssi)] = Of(s.gsm, [](const GsmLive& g) { return g.rssi; });
    v[I(S::Speed)] = Of(s.gnss, [](const GnssRecord& g) { return g.speed; });
    v[I(S::Satellites)] = Of(s.gnss, [](const GnssRecord& g) { return g.satellites; });
    v[I(S::InternalTemperature)] = Of(s.internalTemperature, [](int8_t t) { return t; });
    for (size_t n = 0; n < kThermometers; ++n)
        if (const auto& t = s.thermometers[n]; t && t->valid)
            v[I(S::Thermometer1) + n] = t->temperature;
    if (failed)
        for (size_t i = 0; i < kLiveSeriesCount; ++i)
            if (failed(kTraits[i].keyword))
                v[i] = kNone;
    return v;
}

CSampleStore::CSampleStore(size_t keep) : m_keepBlocks((keep + kBlock - 1) / kBlock) {}

void CSampleStore::Clear() {
    std::lock_guard lock(m_lock);
    m_blocks.clear();
    m_first = 0;
    m_size = 0;
    m_added = 0;
}

// A new block once the last is full; with more blocks than the bound keeps
// whole, the oldest goes, so the store holds between keep and one block more.
void CSampleStore::Add(const LiveSample& sample) {
    std::lock_guard lock(m_lock);
    const size_t end = m_first + m_size;
    if (end == m_blocks.size() * kBlock) {
        if (m_blocks.size() > m_keepBlocks) {
            m_blocks.pop_front();
            m_size -= kBlock - m_first;
            m_first = 0;
        }
        m_blocks.push_back(std::make_unique<Block>());
    }
    const size_t at = m_first + m_size;
    (*m_blocks[at / kBlock])[at % kBlock] = sample;
    ++m_size;
    ++m_added;
}

uint64_t CSampleStore::Added() const {
    std::lock_guard lock(m_lock);
    return m_added;
}

size_t CSampleStore::Size() const {
    std::lock_guard lock(m_lock);
    return m_size;
}

std::optional<int64_t> CSampleStore::NewestMs() const {
    std::lock_guard lock(m_lock);
    if (m_size == 0)
        return std::nullopt;
    const size_t last = m_first + m_size - 1;
    return (*m_blocks[last / kBlock])[last % kBlock].atMs;
}

size_t CSampleStore::Bytes() const {
    std::lock_guard lock(m_lock);
    return m_blocks.size() * (sizeof(Block) + sizeof(std::unique_ptr<Block>));
}

void CSampleStore::ForEach(const std::function<void(const LiveSample&)>& each) const {
    std::lock_guard lock(m_lock);
    for (size_t i = m_first; i < m_first + m_size; ++i)
        each((*m_blocks[i / kBlock])[i % kBlock]);
}

// Samples come in time order: the first wanted one is found by halving.
std::vector<LiveSample> CSampleStore::Since(int64_t fromMs) const {
    std::lock_guard lock(m_lock);
    const auto at = [this](size_t i) -> const LiveSample& {
        const size_t n = m_first + i;
        return (*m_blocks[n / kBlock])[n % kBlock];
    };
    size_t low = 0, high = m_size;
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (at(middle).atMs < fromMs)
            low = middle + 1;
        else
            high = middle;
    }
    std::vector<LiveSample> out;
    out.reserve(m_size - low);
    for (size_t i = low; i < m_size; ++i)
        out.push_back(at(i));
    return out;
}

std::vector<PlotPoint> ReducePoints(const std::vector<LiveSample>& samples, LiveSeries series, size_t maxPoints) {
    const size_t column = I(series);
    std::vector<PlotPoint> out;
    if (samples.size() <= maxPoints || maxPoints < 2) {
        out.reserve(samples.size());
        for (const LiveSample& s : samples)
            out.push_back({s.atMs, s.values[column]});
        return out;
    }
    // Each stretch gives its lowest and highest point in time order, or one
    // gap when it holds no value at all.
    const size_t stretches = maxPoints / 2;
    out.reserve(stretches * 2);
    for (size_t k = 0; k < stretches; ++k) {
        const size_t begin = k * samples.size() / stretches;
        const size_t end = (k + 1) * samples.size() / stretches;
        const LiveSample* low = nullptr;
        const LiveSample* high = nullptr;
        for (size_t i = begin; i < end; ++i) {
            const float v = samples[i].values[column];
            if (std::isnan(v))
                continue;
            if (!low || v < low->values[column])
                low = &samples[i];
            if (!high || v > high->values[column])
                high = &samples[i];
        }
        if (!low) {
            out.push_back({samples[begin].atMs, kNone});
            continue;
        }
        const LiveSample* first = low->atMs <= high->atMs ? low : high;
        const LiveSample* second = first == low ? high : low;
        out.push_back({first->atMs, first->values[column]});
        if (second != first)
            out.push_back({second->atMs, second->values[column]});
    }
    return out;
}

namespace LiveCsv {

std::string Header() {
    std::string header = "Время";
    for (const LiveSeriesTraits& t : kTraits)
        header += std::string(",") + t.caption + " [" + t.unit + "]";
    return header;
}

std::string Row(const LiveSample& sample) {
    const std::time_t seconds = static_cast<std::time_t>(sample.atMs / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char time[32];
    std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", &local);
    std::string row = time;
    for (const float v : sample.values) {
        row += ',';
        if (!std::isnan(v))
            row += std::to_string(static_cast<long long>(std::lround(v)));
    }
    return row;
}

bool Save(const CSampleStore& store, const std::string& path, std::string& reason) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    file << Header() << '\n';
    store.ForEach([&](const LiveSample& sample) { file << Row(sample) << '\n'; });
    file.close();
    if (!file) {
        reason = "запись не удалась";
        return false;
    }
    return true;
}

}  // namespace LiveCsv
