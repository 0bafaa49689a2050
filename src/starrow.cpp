#include "starrow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::int64_t axiscolumn = 50;
constexpr std::int32_t numberlimit = -50; // from here down the row shows the number

// Truncates toward zero. The program only passes -100 <= x < 100; for other
// values NaN counts as 0 and anything beyond the 32-bit range saturates, so
// -inf prints -2147483648 and +inf asks for 2147483647 stars.
std::int32_t truncatebar(double x)
{
    if (std::isnan(x))
        return 0;
    if (!(x > -2147483649.0))
        return INT32_MIN;
    if (!(x < 2147483648.0))
        return INT32_MAX;
    return static_cast<std::int32_t>(x);
}

// Written in chunks so that even a huge count needs no huge buffer.
void putrun(std::ostream &out, char c, std::int64_t count)
{
    char chunk[4096];
    const std::int64_t size = std::min<std::int64_t>(count, sizeof chunk);
    std::memset(chunk, c, static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
    for (; count > 0 && out; count -= size)
        out.write(chunk, std::min(count, size));
}

} // namespace

void printstar2(double x, std::ostream &out)
{
    const std::int32_t n = truncatebar(x);
    if (n < 0 && n > numberlimit) {
        putrun(out, ' ', axiscolumn + n);
        putrun(out, '*', -static_cast<std::int64_t>(n));
    } else if (n == 0) {
        putrun(out, ' ', axiscolumn);
        out.put('|');
    } else if (n > 0) {
        putrun(out, ' ', axiscolumn + 1);
        putrun(out, '*', n);
    } else {
        out << n;
    }
    out.put('\n');
    out.flush();
}

std::int64_t rowwidth(double x)
{
    const std::int32_t n = truncatebar(x);
    if (n < 0 && n > numberlimit)
        return axiscolumn;
    if (n >= 0)
        return axiscolumn + 1 + n; // the axis mark, or the space in its column and n stars
    std::int64_t width = 1;        // the minus sign
    for (std::int64_t rest = n; rest != 0; rest /= 10)
        ++width;
    return width;
}
