// The list page's reading and both results on any text: entries or one of the
// failures the list page raises, never anything else; at most one entry a
// line.
#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"
#include "calc/resistors.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    DecimalMark = '.';
    const std::string_view list(reinterpret_cast<const char*>(data), size);
    try {
        const std::vector<double> values = ReadEntries(list);
        if (values.size() > static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n')) + 1)
            std::abort();
        if (!values.empty()) {
            SeriesResistance(values);
            ParallelResistance(values);
        }
    } catch (const EConvertError&) {
    } catch (const EMathError&) {
    }
    return 0;
}
