// Cost of the computation: one classification, one whole conversion of four
// texts, and the text conversion of a 1 MB entry.
#include "core/cell_classifier.h"
#include "core/entry_checks.h"
#include "core/grid_reference.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

// Minutes spread over every band and boundary, so branches cannot settle.
std::array<float, 256> MinutesSample() {
  std::array<float, 256> sample{};
  for (std::size_t i = 0; i < sample.size(); ++i)
    sample[i] = static_cast<float>((i * 37) % 256) * (61.0f / 256.0f);
  sample[7] = gridref::kBandBoundaries[3];
  sample[99] = gridref::kBandBoundaries[9];
  return sample;
}

void ClassifyMinutes(benchmark::State& state) {
  const auto sample = MinutesSample();
  std::size_t i = 0;
  for (auto _ : state) {
    auto result = gridref::ClassifyMinutes(sample[i & 255], sample[(i + 101) & 255]);
    benchmark::DoNotOptimize(result);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ClassifyMinutes);

void FullConversion(benchmark::State& state) {
  for (auto _ : state) {
    auto text =
        gridref::ComposeGridReference(gridref::ReadCoordinateEntry("26", "14", "28.5", "29.75"));
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FullConversion);

void NumericValueOf1MB(benchmark::State& state) {
  const std::string text = " 26." + std::string((1 << 20) - 4, '5');
  for (auto _ : state)
    benchmark::DoNotOptimize(gridref::NumericValue(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(NumericValueOf1MB);

} // namespace

BENCHMARK_MAIN();
