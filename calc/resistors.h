// Resistors in series and in parallel, from a list typed one value per line.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace zentorix {

// The entries of a list: its lines (split at line feeds; an empty last line
// after a final line break is not a line), each trimmed with TrimText, the
// empty ones skipped, each converted with TextToReal and rounded to double,
// in list order. EConvertError for a line that is not a number, EOverflow for
// one beyond the double range. No entries gives an empty list.
std::vector<double> ReadEntries(std::string_view list);

// The sum of the values in list order, each addition rounded to double.
// EOverflow when a partial sum leaves the double range.
double SeriesResistance(std::span<const double> values);

// 1 / (sum of 1 / value): each reciprocal in extended, each partial sum and
// the final reciprocal rounded to double. EZeroDivide for a zero value or a
// zero sum, EOverflow beyond the double range.
double ParallelResistance(std::span<const double> values);

}  // namespace zentorix
