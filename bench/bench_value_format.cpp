#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "values/value_format.h"

namespace {

constexpr int kValues = 1'000'000;

std::vector<double> amounts() {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> d(-1e7, 1e7);
    std::vector<double> v(kValues);
    for (double& x : v) {
        x = d(rng);
    }
    return v;
}

std::vector<double> dateTimes() {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> d(36526.0, 73051.0);  // 2000 .. 2100
    std::vector<double> v(kValues);
    for (double& x : v) {
        x = d(rng);
    }
    return v;
}

void BM_DoubleToText(benchmark::State& state) {
    const std::vector<double> values = amounts();
    for (auto _ : state) {
        for (double x : values) {
            benchmark::DoNotOptimize(tillora::doubleToText(x));
        }
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_DoubleToText)->Unit(benchmark::kMillisecond);

void BM_DateTimeToText(benchmark::State& state) {
    const std::vector<double> values = dateTimes();
    for (auto _ : state) {
        for (double x : values) {
            benchmark::DoNotOptimize(tillora::dateTimeToText(x));
        }
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_DateTimeToText)->Unit(benchmark::kMillisecond);

void BM_TextToDouble(benchmark::State& state) {
    std::vector<QString> texts;
    texts.reserve(kValues);
    for (double x : amounts()) {
        texts.push_back(tillora::doubleToText(x));
    }
    for (auto _ : state) {
        for (const QString& t : texts) {
            benchmark::DoNotOptimize(tillora::textToDouble(t));
        }
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_TextToDouble)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
