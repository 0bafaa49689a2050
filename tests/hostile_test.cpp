// Inputs and surroundings meant to break the program: each ends with its
// status and message, or at least promptly, without a crash.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

using expected::axis;

const std::string header = makewave(std::string(800, '\0')).substr(0, 44); // claims 800 bytes

TEST(hostile, everylengthuptotheheader)
{
    for (std::size_t length = 0; length < 44; ++length) {
        SCOPED_TRACE(length);
        const tempdir dir;
        dir.writewave(header.substr(0, length));
        const outcome run = runprogram(dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err,
                  "wavestars: ./Alarm02.wav: file is " + std::to_string(length) + " bytes, a WAVE header needs 44\n");
    }
    const tempdir dir;
    dir.writewave(header);
    const outcome run = runprogram(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected::summary({44, 2, 44100, 176400, 16, 800, 0}) + expected::prompt);
}

struct fieldcase {
    std::size_t offset;
    int width;
    std::uint32_t value;
};

void PrintTo(const fieldcase &c, std::ostream *os)
{
    *os << "offset" << c.offset << "is" << c.value;
}

class extremefield : public testing::TestWithParam<fieldcase> {};

TEST_P(extremefield, printsasthebytessayit)
{
    const fieldcase c = GetParam();
    std::string file = makewave(std::string(800, '\0'));
    std::string field;
    putle(field, c.value, c.width);
    file.replace(c.offset, field.size(), field);
    expected::values want = {844, 2, 44100, 176400, 16, 800, 2};
    std::uint64_t *slot = c.offset == 22   ? &want.channels
                          : c.offset == 24 ? &want.samplerate
                          : c.offset == 28 ? &want.byterate
                          : c.offset == 34 ? &want.bitspersample
                                           : &want.datasize;
    *slot = c.value;
    if (c.offset == 40)
        want.rowcount = c.value == 0 ? 0 : 2;
    const tempdir dir;
    dir.writewave(file);
    const outcome run = runprogram(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              std::string(want.rowcount == 0 ? "" : axis() + axis()) + expected::summary(want) + expected::prompt);
}

INSTANTIATE_TEST_SUITE_P(zeroandmaximum, extremefield,
                         testing::Values(fieldcase{22, 2, 0}, fieldcase{22, 2, 0xFFFF}, fieldcase{24, 4, 0},
                                         fieldcase{24, 4, 0xFFFFFFFF}, fieldcase{28, 4, 0},
                                         fieldcase{28, 4, 0xFFFFFFFF}, fieldcase{34, 2, 0}, fieldcase{34, 2, 0xFFFF},
                                         fieldcase{40, 4, 0}, fieldcase{40, 4, 0xFFFFFFFF}));

TEST(hostile, filepastfourgibibytesprintsitssizemodulo)
{
    const tempdir dir;
    dir.writewave(header);
    const std::string path = dir.path() + "/Alarm02.wav";
    ASSERT_EQ(truncate(path.c_str(), (std::int64_t{1} << 32) + 1000), 0) << "no sparse files here";
    const outcome run = runprogram(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, axis() + axis() + expected::summary({1000, 2, 44100, 176400, 16, 800, 2}) + expected::prompt);
    EXPECT_EQ(run.err, "");
}

TEST(hostile, datablocktoolargetoholdisanerror)
{
    if (sanitized)
        WAVESTARS_SKIP("the sanitizer's shadow memory needs more address space than the limit");
    if (!runner().empty())
        WAVESTARS_SKIP("the limit would bind the loader, not the program");
    const tempdir dir;
    dir.writewave(withdatasize(header, 0xFFFFFFFF));
    const std::string path = dir.path() + "/Alarm02.wav";
    const std::int64_t gib = std::int64_t{1} << 30;
    ASSERT_EQ(truncate(path.c_str(), gib), 0) << "no sparse files here";
    program run(dir.path(), inputmode::pipe, outputmode::pipe, std::uint64_t{512} << 20);
    const outcome result = run.finish();
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "wavestars: ./Alarm02.wav: cannot allocate " + std::to_string(gib - 44) + " bytes for the data block\n");
}

TEST(hostile, closedstandardinputendsthewait)
{
    const tempdir dir;
    dir.writewave(header);
    program run(dir.path(), inputmode::closed);
    const outcome result = run.finish();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected::summary({44, 2, 44100, 176400, 16, 800, 0}) + expected::prompt);
}

// Enough rows to take over half an hour if the program kept drawing.
std::string longfile()
{
    return makewave(std::string(std::size_t{400} * 400000, '\0'));
}

TEST(hostile, closedstandardoutputisawriteerror)
{
    const tempdir dir;
    dir.writewave(longfile());
    program run(dir.path(), inputmode::pipe, outputmode::closed);
    const outcome result = run.finish();
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "wavestars: standard output: write error\n");
}

TEST(hostile, readerofstandardoutputgoneendstherun)
{
    const tempdir dir;
    dir.writewave(longfile());
    program run(dir.path(), inputmode::pipe, outputmode::readergone);
    const outcome result = run.finish();
    if (result.exited) { // Windows has no SIGPIPE: the write fails instead
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "wavestars: standard output: write error\n");
    } else {
        EXPECT_EQ(result.status, SIGPIPE);
    }
}

} // namespace
