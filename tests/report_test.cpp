#include "report.h"

#include "expected.h"
#include "flushcounter.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using expected::axis;
using expected::left;
using expected::right;

std::vector<unsigned char> bytes(const std::string &s)
{
    return std::vector<unsigned char>(s.begin(), s.end());
}

std::string plot(const std::string &block)
{
    std::ostringstream out;
    plotwave(bytes(block), out, std::chrono::milliseconds(0));
    return out.str();
}

// From a sample to its row: the scale and the truncation together.
TEST(plotwave, mapssamplestorowsacrosseveryboundary)
{
    const std::vector<std::int16_t> samples = {-32768, -16385, -16384, -16383, -328, -327,
                                               0,      327,    328,    655,    656,  32767};
    const std::string want = "-100\n"
                             "-50\n"
                             "-50\n" +
                             left(49) + left(1) + axis() + axis() + axis() + right(1) + right(1) + right(2) + right(99);
    EXPECT_EQ(plot(spacedsamples(samples, samples.size() * 400)), want);
}

struct countcase {
    std::size_t size;
    std::int32_t rows;
};

class rowcount : public testing::TestWithParam<countcase> {};

TEST_P(rowcount, oneforeverystartedstride)
{
    std::ostringstream out;
    const std::int32_t rows = plotwave(std::vector<unsigned char>(GetParam().size), out, std::chrono::milliseconds(0));
    EXPECT_EQ(rows, GetParam().rows);
    std::string all;
    for (int i = 0; i < GetParam().rows; ++i)
        all += axis();
    EXPECT_EQ(out.str(), all);
}

INSTANTIATE_TEST_SUITE_P(blocksizes, rowcount,
                         testing::Values(countcase{0, 0}, countcase{1, 1}, countcase{2, 1}, countcase{400, 1},
                                         countcase{401, 2}, countcase{402, 2}, countcase{800, 2}, countcase{801, 3}));

TEST(plotwave, lastlonebytetakeszeroforitspartner)
{
    std::string block = spacedsamples({0, 0}, 401);
    block[400] = '\xC0'; // alone: 0x00C0 = 192, the axis; with a partner it could be anything
    EXPECT_EQ(plot(block), axis() + axis());
}

TEST(plotwave, pausesatleastthedelayaftereachrow)
{
    std::ostringstream out;
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t rows = plotwave(std::vector<unsigned char>(std::size_t{20} * 400), out);
    EXPECT_EQ(rows, 20);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20 * rowdelay);
}

TEST(plotwave, stopswhentheoutputfails)
{
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(plotwave(std::vector<unsigned char>(4000000), out), 0);
}

const waveinfo sample = {4294967295u, 65535, 44100, 176400, 16, 4294967295u};

TEST(printsummary, writesgbklabelsandplaindecimals)
{
    std::ostringstream out;
    printsummary(sample, 2147483647, out, textencoding::gbk);
    EXPECT_EQ(out.str(), expected::summary({4294967295u, 65535, 44100, 176400, 16, 4294967295u, 2147483647}));
}

// Each line is on screen as soon as it is written, and the prompt before
// the program waits.
TEST(printsummary, flushesaftereverylineandtheprompt)
{
    flushcounter buffer;
    std::ostream out(&buffer);
    printsummary(sample, 7, out, textencoding::gbk);
    std::vector<std::size_t> lineends;
    for (std::size_t i = 0; i < buffer.str().size(); ++i)
        if (buffer.str()[i] == '\n')
            lineends.push_back(i + 1);
    EXPECT_EQ(lineends.size(), 7u);
    EXPECT_EQ(buffer.flushedat, lineends);
    printprompt(out, textencoding::gbk);
    EXPECT_EQ(buffer.flushedat.back(), buffer.str().size());
}

TEST(printprompt, writesgbkpromptwithoutlineend)
{
    std::ostringstream out;
    printprompt(out, textencoding::gbk);
    EXPECT_EQ(out.str(), expected::prompt);
}

TEST(printsummary, utf8textsmeanwhatthegbkbytesmean)
{
    std::ostringstream gbk;
    std::ostringstream utf8;
    printsummary(sample, 7, gbk, textencoding::gbk);
    printprompt(gbk, textencoding::gbk);
    printsummary(sample, 7, utf8, textencoding::utf8);
    printprompt(utf8, textencoding::utf8);
    std::string converted;
    try {
        converted = expected::convert(gbk.str(), "GBK", "UTF-8");
    } catch (const expected::noconverter &) {
        GTEST_SKIP() << "this C library has no GBK converter, as under qemu with a cross sysroot";
    }
    EXPECT_EQ(utf8.str(), converted);
}

TEST(printsummary, utf8valuesstartincolumnfourteen)
{
    std::ostringstream out;
    printsummary(sample, 7, out, textencoding::utf8);
    std::istringstream lines(out.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        const std::size_t colon = line.find("：");
        ASSERT_NE(colon, std::string::npos) << line;
        EXPECT_EQ(expected::columns(line.substr(0, colon + std::string("：").size())), 14u) << line;
    }
    EXPECT_EQ(count, 7);
}

} // namespace
