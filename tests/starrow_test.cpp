#include "starrow.h"

#include "expected.h"
#include "flushcounter.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

using expected::axis;
using expected::left;
using expected::right;

struct rowcase {
    double x;
    std::string row;
};

class rowshape : public testing::TestWithParam<rowcase> {};

TEST_P(rowshape, writesexactrow)
{
    std::ostringstream out;
    printstar2(GetParam().x, out);
    EXPECT_EQ(out.str(), GetParam().row) << "x = " << GetParam().x;
}

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    everyshapeandboundary, rowshape,
    testing::Values(
        // axis mark: everything that truncates to 0
        rowcase{0.0, axis()}, rowcase{-0.0, axis()}, rowcase{0.999, axis()}, rowcase{-0.999, axis()},
        // right of the axis, with no upper limit
        rowcase{1.0, right(1)}, rowcase{1.999, right(1)}, rowcase{99.99, right(99)}, rowcase{150.0, right(150)},
        // left of the axis, -1 to -49
        rowcase{-1.0, left(1)}, rowcase{-1.999, left(1)}, rowcase{-49.0, left(49)}, rowcase{-49.99, left(49)},
        // the number, from -50 down
        rowcase{-50.0, "-50\n"}, rowcase{-50.9, "-50\n"}, rowcase{-99.99, "-99\n"}, rowcase{-100.0, "-100\n"},
        // never from the program; NaN counts as 0, the rest saturates
        rowcase{nan, axis()}, rowcase{-inf, "-2147483648\n"}, rowcase{-1e300, "-2147483648\n"},
        rowcase{-2147483648.9, "-2147483648\n"}, rowcase{-2147483647.5, "-2147483647\n"}));

TEST(printstar2, writesmillionsofstarswhenasked)
{
    std::ostringstream out;
    printstar2(3000000.5, out);
    EXPECT_EQ(out.str(), right(3000000));
}

TEST(printstar2, flushesafterthelineend)
{
    for (double x : {-75.0, -20.0, 0.0, 20.0}) {
        flushcounter buffer;
        std::ostream out(&buffer);
        printstar2(x, out);
        EXPECT_EQ(buffer.flushedat, std::vector<std::size_t>{buffer.str().size()}) << x;
        EXPECT_EQ(buffer.str().back(), '\n') << x;
    }
}

struct widthcase {
    double x;
    std::int64_t width;
};

class rowwidths : public testing::TestWithParam<widthcase> {};

// The width of a row is what printstar2 writes before the line end.
TEST_P(rowwidths, givesthecolumnsoftherowprintstar2writes)
{
    std::ostringstream out;
    printstar2(GetParam().x, out);
    EXPECT_EQ(rowwidth(GetParam().x), GetParam().width) << "x = " << GetParam().x;
    EXPECT_EQ(rowwidth(GetParam().x), static_cast<std::int64_t>(out.str().size()) - 1) << "x = " << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(everyshapeandboundary, rowwidths,
                         testing::Values(widthcase{0.0, 51}, widthcase{0.99, 51}, widthcase{-0.99, 51},
                                         widthcase{1.0, 52}, widthcase{99.99, 150}, widthcase{-1.0, 50},
                                         widthcase{-49.99, 50}, widthcase{-50.0, 3}, widthcase{-99.99, 3},
                                         widthcase{-100.0, 4}, widthcase{nan, 51}, widthcase{-inf, 11},
                                         widthcase{3000000.5, 3000051}));

} // namespace
