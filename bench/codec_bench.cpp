// Build and parse cost per keyword, with the heap allocations they make.
// Global operator new/delete are replaced by counting versions; the "allocs"
// counter is the number of allocations per build or parse (the goal is 0).
//
// To cover a keyword, add one row to kLines.

#include "model/dataserver.h"
#include "protocol/zramds.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

std::atomic<long long> g_allocations{0};

void* CountedAllocate(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct BenchLine {
    const char* keyword;
    const char* subcommand;
    int write;          // the build measured: 1 write line, 0 query
    const char* reply;  // the reply parsed after a read
};

const BenchLine kLines[] = {
    {"VER", "", 0, "$VER;X;1.2.3;2.0;P1;01022024\r"},
    {"BOOTVER", "", 0, "$BOOTVER;B1;311223\r"},
    {"HWCFG", "", 1, "$HWCFG;70;00A5C3F100000000\r"},
    {"DEV", "", 1, "$DEV;TRUCK;0042\r"},
    {"MODE", "", 1, "$MODE;2^0A\r"},
    {"PASS", "", 1, "$PASS;7391;1\r"},
    {"LOG", "", 1, "$LOG;5;1\r"},
    {"DATE", "", 1, "$DATE;310199;235959;+3;1;0;1\r"},
    {"REP", "", 0, "$REP;CAR1;0010;150324;101500;;;;;;;;;250;1;100;200;14000;4000;12000\r"},
    {"EKEY", "", 0, "$EKEY;00A5C3F1000F\r"},
    {"STATIST", "GET", 0, "$STATIST;1;2;3;4;5;6;7;8;9;10;11;12\r"},
    {"STATIST", "RESETALL", 1, "$STATIST;OK\r"},
};

LineBuffer MakeLine(const char* text) {
    LineBuffer line;
    line.length = static_cast<uint16_t>(std::strlen(text));
    std::memcpy(line.text, text, line.length);
    return line;
}

void ReportAllocations(benchmark::State& state, long long before) {
    const auto count = static_cast<double>(g_allocations.load(std::memory_order_relaxed) - before);
    state.counters["allocs"] = benchmark::Counter(count, benchmark::Counter::kAvgIterations);
}

void BenchBuild(benchmark::State& state, const BenchLine& row) {
    CDataServer data;
    CZRAMDS codec(data);
    LineBuffer out;
    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(codec.BuildCommand(row.write, row.keyword, row.subcommand, out));
        benchmark::DoNotOptimize(out);
    }
    ReportAllocations(state, before);
}

void BenchParse(benchmark::State& state, const BenchLine& row) {
    CDataServer data;
    CZRAMDS codec(data);
    LineBuffer out;
    codec.BuildCommand(0, row.keyword, row.subcommand, out);  // remembers the subcommand
    const LineBuffer reply = MakeLine(row.reply);
    char keyword[10];
    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(codec.ParseReply(0, keyword, reply));
        benchmark::DoNotOptimize(keyword);
    }
    ReportAllocations(state, before);
}

void RegisterAll() {
    for (const BenchLine& row : kLines) {
        std::string name = row.keyword;
        if (row.subcommand[0] != '\0')
            name += std::string(";") + row.subcommand;
        benchmark::RegisterBenchmark(("Build/" + name).c_str(), BenchBuild, row);
        benchmark::RegisterBenchmark(("Parse/" + name).c_str(), BenchParse, row);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
