#include "sim/devsim.h"

#include "sim/device.h"
#include "sim/pty.h"
#include "sim/wire.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 20;
constexpr size_t kMaxLine = 1024;
constexpr auto kByteTime = std::chrono::microseconds(1042);  // 10 bits at 9600 baud
constexpr size_t kPaceChunk = 8;
constexpr auto kPortOpWait = std::chrono::seconds(2);

// Unsolicited debug output of the tracker: never starts with "$".
constexpr const char* kNoise[] = {
    "GNSS: 9 sat, hdop 0.9\r\n",
    "GSM: registered, csq 21\r\n",
    "ACC: x=-1 y=2 z=1001\r\n",
};

enum class PortOp { None, Unplug, Replug };

}  // namespace

struct CDevSim::Impl {
    explicit Impl(DevSimOptions o) : options(std::move(o)), device(options.type, options.password, options.protection) {
        silent = options.silent;
        device.SetImei(options.imei);
    }

    void Run();
    void ServePortOp();
    void HandleLine(const std::string& line);
    void Reply(CDevice::Answer answer, int replyIndex);
    void Send(const std::string& bytes);
    void SleepFor(std::chrono::milliseconds duration) const;
    void EmitNoise(Clock::time_point now);
    void DoUnplug();
    void DoReplug();
    void Request(PortOp op);

    const DevSimOptions options;
    std::atomic<bool> stop{false};
    std::atomic<bool> silent{false};
    std::atomic<bool> running{false};
    std::atomic<int> replies{0};

    mutable std::mutex mutex;  // guards everything below
    std::condition_variable portDone;
    PortOp pendingOp = PortOp::None;
    CDevice device;
    std::vector<std::string> received;
    int commands = 0;
    std::string slavePath;
    bool plugged = false;
    Clock::time_point replugAt = Clock::time_point::max();

    // Touched by the device thread only (or by the caller before it starts / after it ends).
    CPtyPort port;
    std::thread thread;
    std::string partial;
    Clock::time_point nextNoise;
    std::string lastReply;
};

void CDevSim::Impl::Run() {
    char buffer[256];
    while (!stop) {
        ServePortOp();
        if (!port.IsOpen()) {
            SleepFor(std::chrono::milliseconds(kPollMs));
            continue;
        }
        const long n = port.Read(buffer, sizeof buffer, kPollMs);
        for (long i = 0; i < n && port.IsOpen(); ++i) {
            const char c = buffer[i];
            if (c == '\r' || c == '\n') {
                if (!partial.empty())
                    HandleLine(partial);
                partial.clear();
            } else if (partial.size() < kMaxLine) {
                partial += c;
            }
        }
        EmitNoise(Clock::now());
    }
}

void CDevSim::Impl::ServePortOp() {
    std::lock_guard<std::mutex> lock(mutex);
    if (pendingOp == PortOp::None && Clock::now() >= replugAt)
        pendingOp = PortOp::Replug;
    if (pendingOp == PortOp::Unplug)
        DoUnplug();
    if (pendingOp == PortOp::Replug)
        DoReplug();
    if (pendingOp != PortOp::None) {
        pendingOp = PortOp::None;
        portDone.notify_all();
    }
}

// Called with the mutex held.
void CDevSim::Impl::DoUnplug() {
    port.Close();
    partial.clear();
    slavePath.clear();
    plugged = false;
    replugAt = options.replugAfterSeconds >= 0 ? Clock::now() + std::chrono::seconds(options.replugAfterSeconds)
                                               : Clock::time_point::max();
}

// Called with the mutex held.
void CDevSim::Impl::DoReplug() {
    replugAt = Clock::time_point::max();
    if (port.IsOpen() || !port.Open(options.link))
        return;
    slavePath = port.SlavePath();
    plugged = true;
}

void CDevSim::Impl::HandleLine(const std::string& line) {
    CDevice::Answer answer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (options.recordReceived)
            received.push_back(line);
        if (line[0] != '$')
            return;  // echo or line noise: a tracker ignores it
        // The device is pulled out while the Nth command is on its way, so the
        // client is left waiting for a reply when the port goes away.
        if (++commands == options.unplugAfterCommands) {
            DoUnplug();
            return;
        }
        answer = device.Handle(std::string_view(line).substr(1));
    }
    if (!answer.keyword.empty() && !silent)
        Reply(answer, ++replies);
}

void CDevSim::Impl::Reply(CDevice::Answer answer, int replyIndex) {
    if (answer.keyword == options.lateBeforeKeyword && !lastReply.empty())
        Send(lastReply);
    if (const auto payload = options.payloads.find(answer.keyword); payload != options.payloads.end())
        answer.payload = payload->second;
    const bool drop = options.dropEveryN > 0 && replyIndex % options.dropEveryN == 0;
    const bool garble = (options.garbleEveryN > 0 && replyIndex % options.garbleEveryN == 0) ||
                        (!options.garbleKeyword.empty() && answer.keyword == options.garbleKeyword);
    if (drop)
        return;
    SleepFor(std::chrono::milliseconds(options.replyDelayMs));
    lastReply = FrameReply(answer.keyword, answer.payload, garble);
    Send(lastReply);
}

// Writes at the pace of the serial line: small chunks, each after the wire
// time of the bytes before it.
void CDevSim::Impl::Send(const std::string& bytes) {
    if (!options.pacing) {
        port.Write(bytes.data(), bytes.size(), 1000);
        return;
    }
    const Clock::time_point start = Clock::now();
    for (size_t at = 0; at < bytes.size() && !stop; at += kPaceChunk) {
        const size_t len = std::min(kPaceChunk, bytes.size() - at);
        std::this_thread::sleep_until(start + kByteTime * static_cast<long>(at + len));
        if (!port.Write(bytes.data() + at, len, 1000))
            return;
    }
}

void CDevSim::Impl::SleepFor(std::chrono::milliseconds duration) const {
    const Clock::time_point end = Clock::now() + duration;
    while (!stop && Clock::now() < end) {
        std::this_thread::sleep_for(std::min<Clock::duration>(end - Clock::now(), std::chrono::milliseconds(10)));
    }
}

void CDevSim::Impl::EmitNoise(Clock::time_point now) {
    if (options.noiseIntervalMs <= 0 || now < nextNoise)
        return;
    const auto interval = std::chrono::milliseconds(options.noiseIntervalMs);
    Send(kNoise[static_cast<size_t>(now.time_since_epoch() / interval) % std::size(kNoise)]);
    nextNoise = now + interval;
}

void CDevSim::Impl::Request(PortOp op) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!running) {
        if (op == PortOp::Unplug)
            DoUnplug();
        if (op == PortOp::Replug)
            DoReplug();
        return;
    }
    pendingOp = op;
    portDone.wait_for(lock, kPortOpWait, [this] { return pendingOp == PortOp::None; });
}

CDevSim::CDevSim(DevSimOptions options) : m_impl(std::make_unique<Impl>(std::move(options))) {}

CDevSim::~CDevSim() { Stop(); }

bool CDevSim::Start() {
    Impl& s = *m_impl;
    if (s.running)
        return true;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.port.Open(s.options.link))
            return false;
        s.slavePath = s.port.SlavePath();
        s.plugged = true;
    }
    s.stop = false;
    s.nextNoise = Clock::now() + std::chrono::milliseconds(s.options.noiseIntervalMs);
    s.running = true;
    s.thread = std::thread([&s] { s.Run(); });
    return true;
}

void CDevSim::Stop() {
    Impl& s = *m_impl;
    s.stop = true;
    if (s.thread.joinable())
        s.thread.join();
    s.running = false;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.port.Close();
    s.slavePath.clear();
    s.plugged = false;
}

std::string CDevSim::PortPath() const {
    if (!m_impl->options.link.empty())
        return m_impl->options.link;
    return SlavePath();
}

std::string CDevSim::SlavePath() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->slavePath;
}

void CDevSim::SetSilent(bool silent) { m_impl->silent = silent; }
void CDevSim::Unplug() { m_impl->Request(PortOp::Unplug); }
void CDevSim::Replug() { m_impl->Request(PortOp::Replug); }

bool CDevSim::Plugged() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->plugged;
}

std::vector<std::string> CDevSim::ReceivedLines() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->received;
}

void CDevSim::ClearReceived() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->received.clear();
}

std::string CDevSim::Setting(const std::string& keyword) const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->device.Setting(keyword);
}

std::string CDevSim::Password() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->device.Password();
}

bool CDevSim::Protection() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->device.Protection();
}

int CDevSim::Replies() const { return m_impl->replies; }
