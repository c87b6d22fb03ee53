// The load-line editor's cost over the line's length, from 64 bytes to 32 KiB.
//
// Run: build/host/bench/loadline_bench
// RemoveEntry is the text work alone; RemoveSelfFromLoadLine and AddToLoadLine include
// reading and rewriting a real win.ini through winsim's profile functions. The DoubleByte rows
// run on code page 932 with a line of Japanese paths, every character two bytes, the second of
// some of them a backslash: the walk by character must stay linear there too.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "loadline/loadline.h"
#include "winsim/winsim.h"

namespace {

constexpr char kSelf[] = "C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\CORVEN.EXE";

// C:\ソフト\ツール in code page 932: ソ is 83 5C, its second byte a backslash.
constexpr char kDoubleByteFolder[] = "c:\\\x83\x5c\x83\x74\x83\x67\\\x83\x63\x81\x5b\x83\x8b";

// Other programs' entries up to about `bytes`, then Corven's entry last: the longest search.
std::string LineOf(size_t bytes, bool doubleByte)
{
    std::string line;
    for (int i = 0; line.size() + sizeof(kSelf) + 40 < bytes; ++i) {
        line += (doubleByte ? kDoubleByteFolder : "c:\\apps\\helper") + std::to_string(i) + ".exe ";
    }
    return line + kSelf;
}

void UseCodePageOf(bool doubleByte)
{
    winsim::SetCodePage(doubleByte ? 932 : 1252);
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

template <bool doubleByte> void RemoveEntryText(benchmark::State& state)
{
    UseCodePageOf(doubleByte);
    std::string line = LineOf(static_cast<size_t>(state.range(0)), doubleByte);
    for (auto _ : state) {
        std::string work = line;
        char entry[] = "c:\\windows\\system\\telvanor.101\\corven.exe";
        benchmark::DoNotOptimize(RemoveEntry(&work[0], entry));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// Times one edit of a freshly written win.ini holding a line of state.range(0) bytes.
template <typename Edit> void TimeWinIniEdit(benchmark::State& state, bool doubleByte, Edit edit)
{
    std::string folder = MakeWindowsFolder();
    UseCodePageOf(doubleByte);
    std::string line = LineOf(static_cast<size_t>(state.range(0)), doubleByte);
    for (auto _ : state) {
        state.PauseTiming();
        WriteLoadLine(line);
        state.ResumeTiming();
        edit();
    }
    state.SetComplexityN(state.range(0));
    system(("rm -rf " + folder).c_str());
}

template <bool doubleByte> void RemoveSelfFromWinIni(benchmark::State& state)
{
    TimeWinIniEdit(state, doubleByte, [] { benchmark::DoNotOptimize(RemoveSelfFromLoadLine()); });
}

template <bool doubleByte> void AddToWinIni(benchmark::State& state)
{
    TimeWinIniEdit(state, doubleByte, [] { AddToLoadLine("TELVANOR.EXE"); });
}

// Every line length from 64 bytes to 32 KiB, and the fit of the times to O(N).
void OverLines(benchmark::internal::Benchmark* b)
{
    b->RangeMultiplier(4)->Range(64, 32 << 10)->Complexity(benchmark::oN);
}

} // namespace

BENCHMARK_TEMPLATE(RemoveEntryText, false)->Name("RemoveEntry")->Apply(OverLines);
BENCHMARK_TEMPLATE(RemoveEntryText, true)->Name("RemoveEntryDoubleByte")->Apply(OverLines);
BENCHMARK_TEMPLATE(RemoveSelfFromWinIni, false)->Name("RemoveSelfFromLoadLine")->Apply(OverLines);
BENCHMARK_TEMPLATE(RemoveSelfFromWinIni, true)->Name("RemoveSelfFromLoadLineDoubleByte")->Apply(OverLines);
BENCHMARK_TEMPLATE(AddToWinIni, false)->Name("AddToLoadLine")->Apply(OverLines);
BENCHMARK_TEMPLATE(AddToWinIni, true)->Name("AddToLoadLineDoubleByte")->Apply(OverLines);

BENCHMARK_MAIN();
