// Formatting one float as the CSV files write it (general format, 6
// significant digits, as a default C++ stream does), per float, with the
// candidates measured against each other on the same values: std::to_chars,
// double-conversion's precision mode, {fmt} and the exact integer path of
// FloatFormat that the CSV rows use. Values: coordinates in metres, azimuths
// and distances as a frame of the street scene holds them.
//
//   build/bench/csv_format_bench
//
// Rows of a whole frame are measured by decode_bench (BM_CsvRowsOfAFrame).
#include "lidar/FloatFormat.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <double-conversion/double-conversion.h>
#include <fmt/compile.h>
#include <fmt/format.h>
#include <random>
#include <vector>

namespace {

const std::vector<float>& values() {
    static const std::vector<float> v = [] {
        std::mt19937 random(3);
        std::uniform_real_distribution<float> metres(-120.0f, 120.0f);
        std::uniform_int_distribution<int> raw(0, 35999);
        std::uniform_int_distribution<int> distance(50, 20000);
        std::vector<float> out;
        for (int i = 0; i < 1 << 16; ++i) {
            out.push_back(metres(random));
            out.push_back(static_cast<float>(raw(random)) / 100.0f);
            out.push_back(static_cast<float>(distance(random)) / 100.0f);
        }
        return out;
    }();
    return v;
}

template <class Format>
void perFloat(benchmark::State& state, Format format) {
    char buffer[64];
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const float v : values()) {
            char* end = format(buffer, v);
            bytes += static_cast<std::size_t>(end - buffer);
            benchmark::DoNotOptimize(buffer);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values().size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_ToChars(benchmark::State& state) {
    perFloat(state, [](char* out, float v) {
        return std::to_chars(out, out + 32, static_cast<double>(v), std::chars_format::general, 6)
            .ptr;
    });
}

void BM_DoubleConversionPrecision(benchmark::State& state) {
    // printf's %g: no trailing zeros, exponent sign and two digits, fixed
    // notation from 1e-4 up to below 1e6. Ties at the sixth digit round away
    // from zero here, where printf rounds them to even.
    using double_conversion::DoubleToStringConverter;
    static const DoubleToStringConverter converter(
        DoubleToStringConverter::NO_TRAILING_ZERO |
            DoubleToStringConverter::EMIT_POSITIVE_EXPONENT_SIGN,
        "inf", "nan", 'e', 0, 0, 4, 0, 2);
    perFloat(state, [](char* out, float v) {
        double_conversion::StringBuilder builder(out, 32);
        converter.ToPrecision(v, 6, &builder);
        return out + builder.position();
    });
}

void BM_Fmt(benchmark::State& state) {
    perFloat(state, [](char* out, float v) {
        return fmt::format_to(out, FMT_COMPILE("{:.6g}"), static_cast<double>(v));
    });
}

void BM_FloatFormat(benchmark::State& state) {
    perFloat(state, [](char* out, float v) { return FloatFormat::writeGeneral6(out, v); });
}

BENCHMARK(BM_ToChars);
BENCHMARK(BM_DoubleConversionPrecision);
BENCHMARK(BM_Fmt);
BENCHMARK(BM_FloatFormat);

} // namespace

BENCHMARK_MAIN();
