// The number conversions against the C and C++ libraries' on the same inputs,
// and the checked operations against the machine's own long double arithmetic
// (for information: on x86 the x87, elsewhere another format). Three input
// sets: what users type, what "%.15g" prints for ordinary magnitudes, and
// uniformly random bit patterns. The run ends with the figures the targets
// are stated in: TextToReal / strtold, RealToText / std::to_chars (and
// RealToChars, RealToText into a buffer, beside it), and each checked
// operation's time. The figures in the code's comments come from runs with
// --benchmark_min_time=0.05 --benchmark_repetitions=20
// --benchmark_enable_random_interleaving=true, whose ratios agree within a
// few per cent from run to run on a shared machine.
#include "calc/fpu.h"
#include "calc/numtext.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kInputs = 4096;

struct InputSet {
    const char* name;
    std::vector<double> values;
    std::vector<std::string> texts;
};

// 1 to 6 significant digits, decimal exponent -3 to 6, sometimes negative,
// written plainly ("0.001", "4.7", "1000") or with "E" ("2.2E3").
InputSet Typed()
{
    InputSet set{"typed", {}, {}};
    std::mt19937_64 random(1);
    while (set.texts.size() < kInputs) {
        const int count = 1 + static_cast<int>(random() % 6);
        std::string digits(1, static_cast<char>('1' + random() % 9));
        while (static_cast<int>(digits.size()) < count)
            digits += static_cast<char>('0' + random() % 10);
        const int exponent = -3 + static_cast<int>(random() % 10);  // of the first digit
        std::string text = random() % 4 == 0 ? "-" : "";
        if (random() % 3 == 0) {
            text += digits.substr(0, 1);
            if (count > 1)
                text += "." + digits.substr(1);
            text += "E" + std::to_string(exponent);
        } else if (exponent < 0) {
            text += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        } else if (exponent + 1 >= count) {
            text += digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
        } else {
            const auto point = static_cast<std::size_t>(exponent + 1);
            text += digits.substr(0, point) + "." + digits.substr(point);
        }
        set.values.push_back(zentorix::CheckedStore(zentorix::TextToReal(text)));
        set.texts.push_back(std::move(text));
    }
    return set;
}

// m × 10^e with m uniform in [1, 10) and e in [-20, 20], as "%.15g" prints it.
InputSet Printed()
{
    InputSet set{"printed", {}, {}};
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    char buffer[64];
    while (set.values.size() < kInputs) {
        const double value = mantissa(random) * std::pow(10.0, static_cast<int>(random() % 41) - 20);
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
        set.values.push_back(value);
        set.texts.emplace_back(buffer);
    }
    return set;
}

// Finite doubles from uniformly random bit patterns: every exponent is as
// likely as any other, so all three power-of-ten steps are exercised.
InputSet RandomBits()
{
    InputSet set{"random-bits", {}, {}};
    std::mt19937_64 random(42);
    while (set.values.size() < kInputs) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        set.values.push_back(value);
        set.texts.push_back(zentorix::RealToText(value));
    }
    return set;
}

void RealToText(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(zentorix::RealToText(set->values[i++ % kInputs]));
}

void RealToChars(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    zentorix::RealChars chars;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zentorix::RealToChars(set->values[i++ % kInputs], chars));
        benchmark::DoNotOptimize(chars);
    }
}

void ToChars(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    char buffer[64];
    for (auto _ : state) {
        auto result = std::to_chars(
            buffer, buffer + sizeof buffer, set->values[i++ % kInputs], std::chars_format::general, 15);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(buffer);
    }
}

void Snprintf(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    char buffer[64];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, "%.15Lg", static_cast<long double>(set->values[i++ % kInputs]));
        benchmark::DoNotOptimize(buffer);
    }
}

void TextToReal(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(zentorix::TextToReal(set->texts[i++ % kInputs]));
}

void Strtold(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(std::strtold(set->texts[i++ % kInputs].c_str(), nullptr));
}

void FromChars(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& text = set->texts[i++ % kInputs];
        double value;
        auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(value);
    }
}

// Operands from the printed set: no operation faults, so only the cost of
// the flag handling around each one is measured.
template <double (*Operation)(zentorix::Extended, zentorix::Extended)>
void Checked(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state) {
        const double left = set->values[i % kInputs];
        const double right = set->values[(i + 1) % kInputs];
        ++i;
        benchmark::DoNotOptimize(Operation(left, right));
    }
}

template <char Op> void Plain(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state) {
        long double left = set->values[i % kInputs];
        long double right = set->values[(i + 1) % kInputs];
        ++i;
        benchmark::DoNotOptimize(left);
        benchmark::DoNotOptimize(right);
        const long double result = Op == '/' ? left / right : Op == '*' ? left * right : left + right;
        benchmark::DoNotOptimize(static_cast<double>(result));
    }
}

void CheckedStore(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(zentorix::CheckedStore(set->values[i++ % kInputs]));
}

void PlainStore(benchmark::State& state, const InputSet* set)
{
    std::size_t i = 0;
    for (auto _ : state) {
        long double value = set->values[i++ % kInputs];
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(static_cast<double>(value));
    }
}

// Keeps each benchmark's time per iteration (the least of its repetitions, as
// a shared machine only ever adds time) so that the ratios can be printed
// after the console table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                const auto [time, added]
                    = times_.try_emplace(run.run_name.function_name, run.GetAdjustedCPUTime());
                if (!added)
                    time->second = std::min(time->second, run.GetAdjustedCPUTime());
            }
    }

    void PrintRatios(const std::vector<InputSet>& sets) const
    {
        std::printf("\n%-12s %-36s %-36s %s\n", "input set", "TextToReal / strtold (target 0.75)",
            "RealToText / to_chars (target 1)", "RealToChars / to_chars");
        for (const InputSet& set : sets) {
            const std::string name = set.name;
            std::printf("%-12s %-36s %-36s %s\n", set.name,
                Ratio("TextToReal/" + name, "strtold/" + name, 0.75).c_str(),
                Ratio("RealToText/" + name, "to_chars/" + name, 1.0).c_str(),
                Ratio("RealToChars/" + name, "to_chars/" + name, 1.0).c_str());
        }
        std::printf("\nchecked operation (target 20 ns)\n");
        for (const char* name :
            {"CheckedDivide", "CheckedMultiply", "CheckedAdd", "CheckedAddReciprocal", "CheckedStore"}) {
            const auto time = times_.find(name);
            if (time != times_.end())
                std::printf("%-22s %.1f ns %s\n", name, time->second, time->second <= 20 ? "met" : "MISSED");
        }
    }

private:
    std::string Ratio(const std::string& ours, const std::string& theirs, double target) const
    {
        const auto a = times_.find(ours);
        const auto b = times_.find(theirs);
        if (a == times_.end() || b == times_.end())
            return "not run";
        const double ratio = a->second / b->second;
        char text[64];
        std::snprintf(text, sizeof text, "%.1f/%.1f ns = %.2f %s", a->second, b->second, ratio,
            ratio <= target ? "met" : "MISSED");
        return text;
    }

    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<InputSet> sets = {Typed(), Printed(), RandomBits()};
    for (const InputSet& set : sets) {
        const std::string name = set.name;
        benchmark::RegisterBenchmark(("TextToReal/" + name).c_str(), TextToReal, &set);
        benchmark::RegisterBenchmark(("strtold/" + name).c_str(), Strtold, &set);
        benchmark::RegisterBenchmark(("from_chars/" + name).c_str(), FromChars, &set);
        benchmark::RegisterBenchmark(("RealToChars/" + name).c_str(), RealToChars, &set);
        benchmark::RegisterBenchmark(("RealToText/" + name).c_str(), RealToText, &set);
        benchmark::RegisterBenchmark(("to_chars/" + name).c_str(), ToChars, &set);
        benchmark::RegisterBenchmark(("snprintf/" + name).c_str(), Snprintf, &set);
    }
    const InputSet* operands = &sets[1];
    benchmark::RegisterBenchmark("CheckedDivide", Checked<zentorix::CheckedDivide>, operands);
    benchmark::RegisterBenchmark("plain-divide", Plain<'/'>, operands);
    benchmark::RegisterBenchmark("CheckedMultiply", Checked<zentorix::CheckedMultiply>, operands);
    benchmark::RegisterBenchmark("plain-multiply", Plain<'*'>, operands);
    benchmark::RegisterBenchmark("CheckedAdd", Checked<zentorix::CheckedAdd>, operands);
    benchmark::RegisterBenchmark("CheckedAddReciprocal", Checked<zentorix::CheckedAddReciprocal>, operands);
    benchmark::RegisterBenchmark("plain-add", Plain<'+'>, operands);
    benchmark::RegisterBenchmark("CheckedStore", CheckedStore, operands);
    benchmark::RegisterBenchmark("plain-store", PlainStore, operands);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios(sets);
    benchmark::Shutdown();
    return 0;
}
