// Any double, NaN, infinities and huge values included, must give exactly
// one row of one of the four shapes. Where the truncation fits 32 bits the
// row shows it; NaN shows the axis mark; beyond 32 bits it saturates.

#include "rowcheck.h"
#include "starrow.h"

#include <cmath>
#include <cstring>
#include <ostream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    double x = 0;
    if (size != sizeof x)
        return -1;
    std::memcpy(&x, data, sizeof x);

    runsink sink;
    std::ostream out(&sink);
    printstar2(x, out);

    std::vector<run> row = sink.runs;
    if (row.empty() || row.back().c != '\n')
        fail("the row ends with a line end");
    if (--row.back().count == 0)
        row.pop_back();
    const std::optional<std::int64_t> n = rowvalue(row);
    require(n.has_value(), "the row takes one of the four shapes");
    if (std::isnan(x))
        require(*n == 0, "NaN shows the axis mark");
    else if (x >= 2147483648.0)
        require(*n == INT32_MAX, "too large saturates");
    else if (x <= -2147483649.0)
        require(*n == INT32_MIN, "too small saturates");
    else
        require(*n == static_cast<std::int64_t>(std::trunc(x)), "the row shows x truncated toward zero");
    return 0;
}
