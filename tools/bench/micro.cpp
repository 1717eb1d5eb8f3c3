// Microbenchmarks: the control arrays' keyed slots against the straightforward linear scan of
// one cell list, and row keys without waiting for the clock against waiting for it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/scripted_backend.h"
#include "runtime/arrays.h"
#include "runtime/conversions.h"
#include "runtime/record_access.h"
#include "runtime/run.h"

namespace {

// The control arrays belong to the run in progress: the benchmark works inside one.
class InARun : private tesma::runtime::RunProgress {
public:
    InARun() : run_(*this), scope_(run_) {}

private:
    void RowStep() override {}
    void PumpNow() override {}
    void ProtocolLine(std::string_view, const tesma::runtime::LineFacts&) override {}
    tesma::runtime::Run run_;
    tesma::runtime::CurrentRunScope scope_;
};

const char* const kArrays[] = {"PLA_N", "PL_AP", "PL_RV", "P_DMQY", "P_END", "F2RUB",
                               "F2VAL", "F2ITO", "F1RUB", "F1VAL",  "F1ITO"};

void KeyedSlots(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    InARun run;
    for (auto _ : state) {
        tesma::ResetArrays();
        for (const char* a : kArrays) tesma::DeclareArray(a, 3000);
        for (const char* a : kArrays)
            for (int k = 0; k < keys; ++k) benchmark::DoNotOptimize(tesma::ArrayIndex(a, 10001 + k * 7));
        for (const char* a : kArrays)
            for (int k = 0; k < keys; ++k) benchmark::DoNotOptimize(tesma::ArrayIndex(a, 10001 + k * 7));
    }
    tesma::FreeArrayCells();
}
BENCHMARK(KeyedSlots)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

// One list of cells for all arrays, each lookup walking it from the start.
struct Cell {
    std::string name;
    int key, slot;
};

int LinearIndex(std::vector<Cell>& cells, const std::string& name, int key) {
    int last = 0;
    for (const Cell& c : cells) {
        if (c.name != name) continue;
        if (c.key == key) return c.slot;
        last = std::max(last, c.slot);
    }
    cells.push_back({name, key, last + 1});
    return last + 1;
}

void LinearScan(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<Cell> cells;
        for (const char* a : kArrays)
            for (int k = 0; k < keys; ++k) benchmark::DoNotOptimize(LinearIndex(cells, a, 10001 + k * 7));
        for (const char* a : kArrays)
            for (int k = 0; k < keys; ++k) benchmark::DoNotOptimize(LinearIndex(cells, a, 10001 + k * 7));
    }
}
BENCHMARK(LinearScan)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(1);

void RowKeys(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tesma::NewRowKey());
}
BENCHMARK(RowKeys);

// Waiting until the clock-derived value (units of 86.4 ms) moves on.
void RowKeysWaitingForTheClock(benchmark::State& state) {
    for (auto _ : state) {
        auto value = [] { return static_cast<long long>(tesma::CurrentDateTime() * 1000000.0); };
        const long long v = value();
        while (value() == v) {
        }
    }
}
BENCHMARK(RowKeysWaitingForTheClock)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
