#include "resistors.h"

#include "fpu.h"
#include "numtext.h"

namespace zentorix {
namespace {

// Calls `entry` for each trimmed, non-empty line of `list`.
template <typename Entry> void ForEachEntry(std::string_view list, Entry&& entry)
{
    while (!list.empty()) {
        const std::size_t end = list.find('\n');
        const std::string_view line = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        const std::string trimmed = TrimText(line);
        if (!trimmed.empty())
            entry(trimmed);
    }
}

}  // namespace

std::vector<double> ReadEntries(std::string_view list)
{
    std::size_t count = 0;
    ForEachEntry(list, [&](const std::string&) { ++count; });
    std::vector<double> values;
    if (count == 0)
        return values;
    values.reserve(count);
    ForEachEntry(list, [&](const std::string& text) { values.push_back(CheckedStore(TextToReal(text))); });
    return values;
}

double SeriesResistance(std::span<const double> values)
{
    double sum = 0.0;
    for (const double value : values)
        sum = CheckedAdd(sum, value);
    return sum;
}

double ParallelResistance(std::span<const double> values)
{
    double sum = 0.0;
    for (const double value : values)
        sum = CheckedAddReciprocal(sum, value);
    return CheckedDivide(1.0, sum);
}

}  // namespace zentorix
