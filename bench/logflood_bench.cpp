// The log line path under a flood of received lines. A feeder thread hands
// 60-byte lines to FeedLog the way the serial reader does, paced as a line at
// 9600 and at 115200 baud could carry them, while the log page takes 5 ms per
// line like a busy window. Reported per rate: bytes fed, bytes that reached
// the log file, bytes lost, the feeder's longest FeedLog call and the log
// thread's CPU time (process CPU minus the feeder's own; nothing else runs).

#include "cli/headlessui.h"
#include "files/logfile.h"
#include "files/logpath.h"
#include "transport/zralogqueue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kLineBytes = 60;      // with its CR LF, as the reader hands it on
constexpr size_t kPrefixBytes = 3;     // "<< "
constexpr double kBitsPerByte = 10.0;  // 8N1
constexpr auto kFloodTime = std::chrono::seconds(5);
constexpr auto kPageDelay = std::chrono::milliseconds(5);

// A log page on a busy window thread: every line costs it kPageDelay.
class SlowPageUi : public CHeadlessUi {
public:
    SlowPageUi() : CHeadlessUi(std::cerr) {}
    void AppendLogLine(const std::string&) override { std::this_thread::sleep_for(kPageDelay); }
};

// CPU seconds of the process or of the calling thread.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::tm FixedTime() {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 0;
    t.tm_mday = 1;
    return t;
}

// One noise line of kLineBytes numbered n, ending in CR LF.
std::string NoiseLine(size_t n) {
    char head[32];
    std::snprintf(head, sizeof head, "NOISE %08zu ", n);
    std::string line(head);
    line.resize(kLineBytes - 2, 'x');
    return line + "\r\n";
}

struct FloodResult {
    size_t fed = 0;
    size_t written = 0;
    double longestFeedMs = 0;
    double logCpuSeconds = 0;
    double wallSeconds = 0;
};

// Bytes of the session's log file beyond its header and footer.
size_t BodyBytes(const CLOGFile& file, size_t frameBytes) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file.FilePath(), error);
    return error || size < frameBytes ? 0 : static_cast<size_t>(size) - frameBytes;
}

// Serials of one length give headers of one length.
FloodResult Flood(CLogPath& path, CLOGFile& file, const char* serial, int baud, size_t frameBytes) {
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(kLineBytes) * kBitsPerByte / baud));
    FloodResult result;
    path.OpenSessionLog("FLOOD", serial);
    const double processBefore = CpuSeconds(RUSAGE_SELF);
    const double feederBefore = CpuSeconds(RUSAGE_THREAD);
    const auto start = Clock::now();
    for (size_t n = 0; start + static_cast<long>(n) * interval < start + kFloodTime; ++n) {
        std::this_thread::sleep_until(start + static_cast<long>(n) * interval);
        const std::string line = NoiseLine(n);
        const auto before = Clock::now();
        result.fed += static_cast<size_t>(path.FeedLog(line.c_str(), 0));
        result.longestFeedMs =
            std::max(result.longestFeedMs, std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
    path.CloseSessionLog();
    result.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.logCpuSeconds = (CpuSeconds(RUSAGE_SELF) - processBefore) - (CpuSeconds(RUSAGE_THREAD) - feederBefore);
    result.written = BodyBytes(file, frameBytes);
    return result;
}

}  // namespace

int main() {
    char folder[] = "/tmp/logflood_XXXXXX";
    if (!::mkdtemp(folder)) {
        std::fprintf(stderr, "cannot create a work folder\n");
        return 1;
    }
    SlowPageUi ui;
    CLOGFile file(ui, folder, FixedTime);
    CZRALogQueue queue;
    CLogPath path(queue, file, ui, [] { return true; });

    // An empty session's file: the header and footer every log file carries.
    path.OpenSessionLog("FLOOD", "S000000");
    path.CloseSessionLog();
    std::error_code error;
    const size_t frameBytes = static_cast<size_t>(std::filesystem::file_size(file.FilePath(), error));
    if (error) {
        std::fprintf(stderr, "no log file in %s\n", folder);
        return 1;
    }

    const struct {
        int baud;
        const char* serial;
    } rates[] = {{9600, "S009600"}, {115200, "S115200"}};
    std::printf("log page %lld ms per line, %zu-byte lines, %lld s per rate\n",
                static_cast<long long>(kPageDelay.count()), kLineBytes, static_cast<long long>(kFloodTime.count()));
    for (const auto& rate : rates) {
        const FloodResult r = Flood(path, file, rate.serial, rate.baud, frameBytes);
        const size_t lost = r.fed > r.written ? r.fed - r.written : 0;
        std::printf(
            "%6d baud: fed %zu bytes (%zu lines), log file %zu bytes, lost %zu bytes (%.2f %%); "
            "longest FeedLog %.2f ms; log thread CPU %.3f s = %.2f %% of one core\n",
            rate.baud, r.fed, r.fed / (kLineBytes + kPrefixBytes), r.written, lost,
            r.fed ? 100.0 * static_cast<double>(lost) / static_cast<double>(r.fed) : 0.0, r.longestFeedMs,
            r.logCpuSeconds, 100.0 * r.logCpuSeconds / r.wallSeconds);
    }
    std::filesystem::remove_all(folder, error);
    return 0;
}
