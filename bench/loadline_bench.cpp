// The load-line editor's cost over the line's length, from 64 bytes to 32 KiB.
//
// Run: build/host/bench/loadline_bench
// RemoveSubstring is the text work alone; RemoveSelfFromLoadLine and AddToLoadLine include
// reading and rewriting a real win.ini through winsim's profile functions.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "loadline/loadline.h"
#include "winsim/winsim.h"

namespace {

constexpr char kSelf[] = "C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\CORVEN.EXE";

// Other programs' entries up to about `bytes`, then Corven's entry last: the longest search.
std::string LineOf(size_t bytes)
{
    std::string line;
    for (int i = 0; line.size() + sizeof(kSelf) + 20 < bytes; ++i) {
        line += "c:\\apps\\helper" + std::to_string(i) + ".exe ";
    }
    return line + kSelf;
}

std::string MakeWindowsFolder()
{
    char pattern[] = "/tmp/corven-bench-XXXXXX";
    std::string folder = mkdtemp(pattern);
    winsim::Reset();
    winsim::SetWindowsFolder(folder);
    return folder;
}

void WriteLoadLine(const std::string& line)
{
    std::ofstream(winsim::ProfilePath("win.ini"), std::ios::binary) << "[windows]\r\nload=" << line << "\r\n";
}

void RemoveSubstringText(benchmark::State& state)
{
    std::string line = LineOf(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::string work = line;
        char entry[] = "c:\\windows\\system\\telvanor.101\\corven.exe";
        benchmark::DoNotOptimize(RemoveSubstring(&work[0], entry));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// Times one edit of a freshly written win.ini holding a line of state.range(0) bytes.
template <typename Edit> void TimeWinIniEdit(benchmark::State& state, Edit edit)
{
    std::string folder = MakeWindowsFolder();
    std::string line = LineOf(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        WriteLoadLine(line);
        state.ResumeTiming();
        edit();
    }
    state.SetComplexityN(state.range(0));
    system(("rm -rf " + folder).c_str());
}

void RemoveSelfFromWinIni(benchmark::State& state)
{
    TimeWinIniEdit(state, [] { benchmark::DoNotOptimize(RemoveSelfFromLoadLine()); });
}

void AddToWinIni(benchmark::State& state)
{
    TimeWinIniEdit(state, [] { AddToLoadLine("TELVANOR.EXE"); });
}

} // namespace

BENCHMARK(RemoveSubstringText)->RangeMultiplier(4)->Range(64, 32 << 10)->Complexity(benchmark::oN);
BENCHMARK(RemoveSelfFromWinIni)->RangeMultiplier(4)->Range(64, 32 << 10)->Complexity(benchmark::oN);
BENCHMARK(AddToWinIni)->RangeMultiplier(4)->Range(64, 32 << 10)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
