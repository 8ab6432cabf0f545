// How fast the station writes and reads its number forms (grid files, reports, results lines).

#include "support/FieldReader.h"
#include "support/textforms.h"

#include <benchmark/benchmark.h>

static void BM_PrintForm(benchmark::State& state)
{
    double v = -123.456789012345;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fw::printForm(v));
        v += 0.001;
    }
}
BENCHMARK(BM_PrintForm);

static void BM_ReadGridFileFields(benchmark::State& state)
{
    QString text;
    for (int i = 0; i < 19; ++i)
        text += fw::printForm(i * 1.234567e-3) + QStringLiteral(",") + fw::printForm(-i * 17.5) +
                QStringLiteral("\r\n");
    for (auto _ : state) {
        fw::FieldReader reader(text);
        double sum = 0;
        while (!reader.atEnd()) {
            const auto v = reader.nextNumber();
            if (v.ok())
                sum += v.value();
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadGridFileFields);

BENCHMARK_MAIN();
