// RealToText and TextToReal against snprintf, std::to_chars, strtold and
// std::from_chars, on the same random doubles and the same texts.
#include "calc/numtext.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kInputs = 4096;

// Finite doubles from uniformly random bit patterns: every exponent is as
// likely as any other, so all three power-of-ten steps are exercised.
const std::vector<double>& Values()
{
    static const std::vector<double> values = [] {
        std::mt19937_64 random(42);
        std::vector<double> out;
        while (out.size() < kInputs) {
            const std::uint64_t bits = random();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            if (std::isfinite(value))
                out.push_back(value);
        }
        return out;
    }();
    return values;
}

const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> out;
        for (const double value : Values())
            out.push_back(zentorix::RealToText(value));
        return out;
    }();
    return texts;
}

void BM_RealToText(benchmark::State& state)
{
    const auto& values = Values();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zentorix::RealToText(values[i++ % kInputs]));
    }
}
BENCHMARK(BM_RealToText);

void BM_Snprintf(benchmark::State& state)
{
    const auto& values = Values();
    std::size_t i = 0;
    char buffer[64];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, "%.15Lg", static_cast<long double>(values[i++ % kInputs]));
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_Snprintf);

void BM_ToChars(benchmark::State& state)
{
    const auto& values = Values();
    std::size_t i = 0;
    char buffer[64];
    for (auto _ : state) {
        auto result = std::to_chars(
            buffer, buffer + sizeof buffer, values[i++ % kInputs], std::chars_format::general, 15);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_ToChars);

void BM_TextToReal(benchmark::State& state)
{
    const auto& texts = Texts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zentorix::TextToReal(texts[i++ % kInputs]));
    }
}
BENCHMARK(BM_TextToReal);

void BM_Strtold(benchmark::State& state)
{
    const auto& texts = Texts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strtold(texts[i++ % kInputs].c_str(), nullptr));
    }
}
BENCHMARK(BM_Strtold);

void BM_FromChars(benchmark::State& state)
{
    const auto& texts = Texts();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& text = texts[i++ % kInputs];
        double value;
        auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_FromChars);

}  // namespace

BENCHMARK_MAIN();
