// Whole test generations as 作成 runs them (sheet creation, selection, layout, placement,
// geometry), on banks of the sizes teachers keep.
#include <benchmark/benchmark.h>

#include "support/started_add_in.h"
#include "testgen/generate.h"

namespace tarquel {
namespace {

void BM_FortyQuestionTestFromTenThousandRows(benchmark::State& state) {
  StartedAddIn bench(10000);
  for (auto _ : state) {
    bench.bank->Activate();
    benchmark::DoNotOptimize(testgen::Generate(bench.add_in.body(), {1, 100000, 16}));
  }
}
BENCHMARK(BM_FortyQuestionTestFromTenThousandRows)->Unit(benchmark::kMillisecond);

void BM_EveryGroupOfTheLargestBank(benchmark::State& state) {
  StartedAddIn bench(65535);
  for (auto _ : state) {
    bench.bank->Activate();
    benchmark::DoNotOptimize(testgen::Generate(bench.add_in.body(), {1, 100000, 100000}));
  }
}
BENCHMARK(BM_EveryGroupOfTheLargestBank)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tarquel
