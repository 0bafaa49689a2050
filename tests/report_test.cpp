#include "report.h"

#include "expected.h"
#include "flushcounter.h"
#include "runprogram.h"
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
        WAVESTARS_SKIP("this C library has no GBK converter, as under qemu with a cross sysroot");
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

// The widest row over the same samples the plot draws, and none between.
TEST(widestrow, isthewidestrowoftheplot)
{
    const struct {
        std::vector<std::int16_t> samples;
        std::int64_t widest;
    } cases[] = {
        {{}, 0},
        {{0, 0}, 51},
        {{-16383, -327}, 51},      // 49 stars left is 50 columns; the axis 51
        {{-32768, -16384}, 4},     // -100 and -50 as numbers
        {{0, 32767, -32768}, 150}, // 99 stars
        {{328, 655, 656}, 53},     // 1, 1 and 2 stars
    };
    for (const auto &c : cases) {
        const std::string block = spacedsamples(c.samples, c.samples.size() * 400);
        EXPECT_EQ(widestrow(bytes(block)), c.widest) << testing::PrintToString(c.samples);
    }
    // A wide sample between the picked ones is not drawn, so it does not count.
    std::string block = spacedsamples({0, 0}, 800);
    block[2] = '\xFF';
    block[3] = '\x7F';
    EXPECT_EQ(widestrow(bytes(block)), 51);
}

// What the plot does about a screen narrower than its widest row, before
// the first row.
TEST(fitscreen, widensonlyaconsolewindowitownselsewarnswhererowswouldwrap)
{
    static bool took = false;
    static std::vector<std::int64_t> widenedto;
    const auto widen = [](std::int64_t columns) {
        widenedto.push_back(columns);
        return took;
    };
    const struct {
        std::int64_t columns;
        std::int64_t needed;
        bool owned;
        bool classic;
        bool widentakes;
        fitting outcome;
    } cases[] = {
        {0, 151, true, true, true, fitting::fits}, // width unknown, or a pipe or a file
        {80, 51, false, false, false, fitting::fits},
        {150, 150, false, false, false, fitting::fits}, // exactly as wide
        {149, 150, false, false, false, fitting::warn}, // one column short
        {80, 150, false, false, false, fitting::warn},  // a terminal
        {120, 151, true, true, true, fitting::widened}, // a console window of its own
        {120, 151, true, true, false, fitting::warn},   // widening did not take
        {120, 151, false, true, true, fitting::warn},   // a console window shared with a shell
        {120, 151, true, false, true, fitting::warn},   // Windows Terminal, or Wine in a terminal
        {151, 151, true, true, true, fitting::fits},    // wide enough already
    };
    for (const auto &c : cases) {
        screeninfo screen;
        screen.columns = c.columns;
        screen.owned = c.owned;
        screen.classic = c.classic;
        took = c.widentakes;
        widenedto.clear();
        const std::string name = std::to_string(c.columns) + (c.owned ? " owned" : "") + (c.classic ? " classic" : "") +
                                 " needs " + std::to_string(c.needed);
        EXPECT_EQ(fitscreen(screen, c.needed, widen), c.outcome) << name;
        const bool mayresize = c.owned && c.classic && c.needed > c.columns && c.columns != 0;
        EXPECT_EQ(widenedto, mayresize ? std::vector<std::int64_t>{c.needed} : std::vector<std::int64_t>{}) << name;
    }
}

// A Windows console moves to the next line on writing its last column; a
// terminal waits for the next character.
TEST(columnsneeded, addsthescreenswrapmargin)
{
    screeninfo terminal;
    screeninfo console;
    console.wrapmargin = 1;
    EXPECT_EQ(columnsneeded(terminal, 150), 150);
    EXPECT_EQ(columnsneeded(console, 150), 151);
}

} // namespace
