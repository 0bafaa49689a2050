// The plot on a terminal narrower than its widest row, end to end: one
// warning between the last row and the summary, exactly where a row would
// wrap, and standard output the same bytes as into a pipe.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

namespace {

struct widthcase {
    unsigned short columns;
    std::int16_t loudest; // the widest row: 51 columns for 0, 150 for 32767
    bool warns;
};

void PrintTo(const widthcase &c, std::ostream *os)
{
    *os << c.columns << " columns, loudest sample " << c.loudest;
}

class narrowscreen : public testing::TestWithParam<widthcase> {};

TEST_P(narrowscreen, warnsafterthelastrowexactlywhenarowdoesnotfit)
{
    const widthcase c = GetParam();
    const tempdir dir;
    dir.writewave(makewave(spacedsamples({0, c.loudest, -16000, 0, c.loudest, -32768, 0}, std::size_t{7} * 400)));
    const outcome piped = runprogram(dir.path(), "0\n");
    ASSERT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "") << "a pipe has no width";

    // In the C locale the terminal gets the labels' GBK bytes, as a pipe does.
    const outcome shown = runonterminal(dir.path(), c.columns, {"LC_ALL=C"});
    EXPECT_TRUE(shown.exited);
    EXPECT_EQ(shown.status, 0);
    const std::size_t summary = piped.out.find(expected::labels[0]);
    ASSERT_NE(summary, std::string::npos) << piped.out;
    const std::string warning = "wavestars: warning: rows wrapped: the plot needs 150 columns, the screen has " +
                                std::to_string(c.columns) + "\n";
    const std::string want = piped.out.substr(0, summary) + (c.warns ? warning : "") + piped.out.substr(summary);
    EXPECT_EQ(shown.out, want);
}

INSTANTIATE_TEST_SUITE_P(columnsbywidestrow, narrowscreen,
                         testing::Values(widthcase{80, 0, false}, widthcase{149, 0, false}, widthcase{150, 0, false},
                                         widthcase{151, 0, false}, widthcase{220, 0, false}, widthcase{80, 32767, true},
                                         widthcase{149, 32767, true}, widthcase{150, 32767, false},
                                         widthcase{151, 32767, false}, widthcase{220, 32767, false}),
                         [](const auto &param) {
                             return std::to_string(param.param.columns) + "columnswidest" +
                                    (param.param.loudest == 0 ? "51" : "150");
                         });

} // namespace
