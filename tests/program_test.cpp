// Runs the built program on WAVE files made here and compares what it
// writes, byte for byte.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using expected::axis;
using expected::left;
using expected::right;

// The fixed samples at offsets 0, 400, 800, ...: one of every row shape.
const std::vector<std::int16_t> picks = {-32768, -16384, -16383, -328, -327, 0, 327, 328, 32767};
const std::string pickrows = "-100\n"
                             "-50\n" +
                             left(49) + left(1) + axis() + axis() + axis() + right(1) + right(99);

std::string repeat(const std::string &text, int times)
{
    std::string all;
    while (times-- > 0)
        all += text;
    return all;
}

struct filecase {
    const char *name;
    std::string file;
    std::string out;
    std::string err; // all of standard error
};

void PrintTo(const filecase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<filecase> filecases()
{
    const std::size_t n = picks.size() * 400;
    const std::string data = spacedsamples(picks, n);
    const std::string plain = makewave(data);
    std::string withtail = withdatasize(makewave(spacedsamples({0, 0}, 401) + std::string(40, '\x80')), 401);
    withtail[44 + 400] = '\xC0'; // alone, 192; with the byte after it, -32576
    const std::string extrachunk = riff(fmtchunk({2, 44100, 16}, 2) + chunk("LIST", "INFOtest") + chunk("data", data));
    const std::string warning = "wavestars: warning: ./Alarm02.wav: ";
    const std::string notfollowed = ", but each row reads two bytes as one signed 16-bit sample, so the plot does "
                                    "not follow this file's waveform\n";
    return {
        {"canonical", plain, pickrows + expected::summary({44 + n, 2, 44100, 176400, 16, n, 9}), ""},
        {"monoeightbit", makewave(data, {1, 8000, 8}), pickrows + expected::summary({44 + n, 1, 8000, 8000, 8, n, 9}),
         warning + "the samples are 8-bit unsigned PCM" + notfollowed},
        {"sixchannels24bit", makewave(data, {6, 48000, 24}),
         pickrows + expected::summary({44 + n, 6, 48000, 864000, 24, n, 9}),
         warning + "the samples are 24-bit PCM" + notfollowed},
        {"emptyblock", makewave(""), expected::summary({44, 2, 44100, 176400, 16, 0, 0}), ""},
        {"headeronlyclaimingdata", withdatasize(makewave(""), 1000),
         expected::summary({44, 2, 44100, 176400, 16, 1000, 0}),
         warning + "the header claims 1000 data bytes, the file holds 0 after byte 44; plotting those\n"},
        {"lonelastbyte", withtail, axis() + axis() + expected::summary({44 + 441, 2, 44100, 176400, 16, 401, 2}), ""},
        {"cutoff", withdatasize(makewave(data.substr(0, 1000)), 4000),
         "-100\n-50\n" + left(49) + expected::summary({1044, 2, 44100, 176400, 16, 4000, 3}),
         warning + "the header claims 4000 data bytes, the file holds 1000 after byte 44; plotting those\n"},
        {"claimsfourgigabytes", withdatasize(makewave(data.substr(0, 401)), 0xFFFFFFFF),
         "-100\n" + axis() + expected::summary({445, 2, 44100, 176400, 16, 4294967295u, 2}),
         warning + "the header claims 4294967295 data bytes, the file holds 401 after byte 44; plotting those\n"},
        // Read at the fixed offsets all the same: datasize is "ST" and the
        // LIST chunk's size, and the block starts inside that chunk, so
        // only filler bytes are picked after the first row.
        {"extrachunks", extrachunk,
         axis() + repeat("-99\n", 9) + expected::summary({62 + n, 2, 44100, 176400, 16, 0x00085453, 10}),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"\\x00\\x00LI\", expected \"data\"); its "
             "samples are 16-bit PCM, 2 channels, 3600 bytes from byte 62; the rows are read from byte 44 all the "
             "same, and the values at fixed offsets may not mean what their labels say\n"},
    };
}

class readable : public testing::TestWithParam<filecase> {};

TEST_P(readable, writesexactlytherowsthesummaryandtheprompt)
{
    const tempdir dir;
    dir.writewave(GetParam().file);
    const outcome run = runprogram(dir.path(), "0\n");
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, GetParam().out + expected::prompt);
    EXPECT_EQ(run.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(files, readable, testing::ValuesIn(filecases()),
                         [](const auto &param) { return std::string(param.param.name); });

struct badcase {
    const char *name;
    void (*make)(const tempdir &);
    std::string err; // the one line on standard error, after the file's name
};

void PrintTo(const badcase &c, std::ostream *os)
{
    *os << c.name;
}

class unusable : public testing::TestWithParam<badcase> {};

// Nothing useful can be drawn: one line on standard error, status 1, no
// output and no wait for input (the input pipe stays open).
TEST_P(unusable, failswithonelineandwithoutwaiting)
{
    const tempdir dir;
    GetParam().make(dir);
    program run(dir.path());
    ASSERT_TRUE(run.waitforexit(10s)) << "still waiting";
    run.send("42\n"); // a user's answer, too late: nobody reads it, and that is no fault
    const outcome result = run.finish();
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "wavestars: ./Alarm02.wav: " + GetParam().err + "\n");
}

void link(const tempdir &d, const char *target)
{
    if (symlink(target, (d.path() + "/Alarm02.wav").c_str()) != 0)
        throw std::runtime_error("cannot make the link");
}

INSTANTIATE_TEST_SUITE_P(
    files, unusable,
    testing::Values(
        badcase{"missing", [](const tempdir &) {}, "No such file or directory"},
        badcase{"danglinglink", [](const tempdir &d) { link(d, "nowhere.wav"); }, "No such file or directory"},
        // Write-only even for root, who may read any ordinary file.
        badcase{"unreadable", [](const tempdir &d) { link(d, "/proc/sys/vm/compact_memory"); }, "Permission denied"},
        badcase{"directory", [](const tempdir &d) { mkdir((d.path() + "/Alarm02.wav").c_str(), 0755); },
                "is a directory, expected a regular file"},
        badcase{"fifo", [](const tempdir &d) { mkfifo((d.path() + "/Alarm02.wav").c_str(), 0644); },
                "not a regular file"},
        badcase{"empty", [](const tempdir &d) { d.writewave(""); }, "file is 0 bytes, a WAVE header needs 44"},
        badcase{"oneshort", [](const tempdir &d) { d.writewave(makewave("").substr(0, 43)); },
                "file is 43 bytes, a WAVE header needs 44"}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(program, warnsoncewhenthefileholdslessthantheheaderclaims)
{
    const tempdir dir;
    dir.writewave(withdatasize(makewave(std::string(1000, '\0')), 4000));
    const outcome run = runprogram(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "wavestars: warning: ./Alarm02.wav: the header claims 4000 data bytes, the file holds 1000 "
                       "after byte 44; plotting those\n");
}

// Lines of two programs that share a terminal must not cut into each
// other, so each message line is one write: a socket that keeps writes
// apart shows them.
TEST(program, writeseachmessagelineinonewrite)
{
    if (std::getenv("WAVESTARS_CRLF") != nullptr)
        WAVESTARS_SKIP("a socket is no standard error for Windows; the Wine relay trace counts its writes");
    const tempdir dir;
    dir.writewave(withdatasize(makewave(std::string(800, '\0'), {1, 8000, 8}), 4000));
    for (const char *locale : {"C", "zh_CN.UTF-8"}) {
        SCOPED_TRACE(locale);
        program run(dir.path(), inputmode::pipe, outputmode::pipe, 0, {std::string("LC_ALL=") + locale},
                    errormode::records);
        const outcome result = run.finish();
        EXPECT_EQ(result.status, 0);
        ASSERT_EQ(result.errwrites.size(), 2u) << result.err;
        for (const std::string &line : result.errwrites)
            EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
    }
    const tempdir missing;
    program run(missing.path(), inputmode::pipe, outputmode::pipe, 0, {}, errormode::records);
    const outcome result = run.finish();
    EXPECT_EQ(result.errwrites, std::vector<std::string>{"wavestars: ./Alarm02.wav: No such file or directory\n"});
}

// A reply the program is still waiting for cannot have ended it: check
// that it is still running a while after sending it.
void expectstillwaiting(program &run, const std::string &reply)
{
    run.send(reply);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(run.running()) << "ended by " << testing::PrintToString(reply);
}

// Nobody waiting at a prompt should hold the file open: on Linux, no
// descriptor of the process may lead to it.
void expectnotopen(pid_t pid, const std::string &file)
{
    std::error_code error;
    const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto &fd : std::filesystem::directory_iterator(fds, error))
        EXPECT_FALSE(std::filesystem::equivalent(fd.path(), file, error)) << "still open as " << fd.path();
}

// A field of /proc/PID/status, such as VmRSS, in KiB.
std::int64_t statuskib(pid_t pid, const std::string &field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stoll(line.substr(field.size() + 1));
    throw std::runtime_error("no " + field + " in the status of process " + std::to_string(pid));
}

// Someone may leave the prompt open for hours, so the data block must be
// gone by then. It was resident while the rows were drawn, so the peak
// (VmHWM) holds it and the resident size at the prompt must be that much
// less: at least half of it, since the program's other pages vary by up to
// 170 KiB between runs (a block kept shows as 0). 640 KiB, far past the size malloc maps on its own, is 1639 rows.
TEST(program, letsgoofthedatablockbeforethewait)
{
    if (sanitized)
        WAVESTARS_SKIP("AddressSanitizer holds freed memory in quarantine");
    if (!runner().empty())
        WAVESTARS_SKIP("the resident size is " + runner() + "'s, whose own heap decides when freed memory goes");
    const std::int64_t blockkib = 640;
    const tempdir dir;
    dir.writewave(makewave(std::string(blockkib * 1024, '\0')));
    program run(dir.path());
    ASSERT_TRUE(run.waitforoutput(expected::prompt, 60s)) << "no prompt";
    const std::int64_t peak = statuskib(run.pid(), "VmHWM");
    const std::int64_t now = statuskib(run.pid(), "VmRSS");
    EXPECT_GE(peak - now, blockkib / 2) << "resident " << now << " KiB at the prompt, " << peak << " KiB at most";
    EXPECT_EQ(run.finish().status, 0);
}

class waitsfor : public testing::TestWithParam<std::string> {};

TEST_P(waitsfor, anynonblankinputafterthepromptisshown)
{
    const tempdir dir;
    dir.writewave(makewave(spacedsamples({100, -100}, 800)));
    program run(dir.path());
    ASSERT_TRUE(run.waitforoutput(expected::prompt, 10s)) << "no prompt";
    expectnotopen(run.pid(), dir.path() + "/Alarm02.wav");
    expectstillwaiting(run, "\n\n   \t\n");
    run.send(GetParam());
    EXPECT_TRUE(run.waitforexit(10s)) << "not ended by " << testing::PrintToString(GetParam());
    const outcome result = run.finish();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.size() - result.out.rfind(expected::prompt), expected::prompt.size())
        << "wrote after the read";
}

INSTANTIATE_TEST_SUITE_P(replies, waitsfor, testing::Values("42\n", "-7 ", "x", "quit\n", "\xA3\xAC"));

TEST(program, endofinputendsthewait)
{
    const tempdir dir;
    dir.writewave(makewave(""));
    program run(dir.path());
    ASSERT_TRUE(run.waitforoutput(expected::prompt, 10s));
    expectstillwaiting(run, "\n");
    const outcome result = run.finish(); // closes the input
    EXPECT_EQ(result.status, 0);
}

TEST(program, takesatleastfivemillisecondsarow)
{
    const int rows = 60;
    const tempdir dir;
    dir.writewave(makewave(std::string(std::size_t{rows} * 400, '\0')));
    const outcome run = runprogram(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_GE(run.elapsed, rows * 5ms);
}

// A wait that spins would burn a core for the whole plot. Counted with
// the Wine server's share, a spin costs 80 % of the plot's time and more,
// even on a loaded machine; a paced plot 1 to 4 %, and under 20 % on a
// machine loaded far past its cores. The run without rows is subtracted,
// because Wine costs far more CPU time starting up than the program does.
TEST(program, pauseswithoutspinning)
{
    const int rows = 300;
    const tempdir empty;
    const tempdir full;
    empty.writewave(makewave(""));
    full.writewave(makewave(std::string(std::size_t{rows} * 400, '\0')));
    (void)runprogram(empty.path()); // a cold Wine prefix takes seconds to start the first time
    auto measure = [](const tempdir &dir) {
        const auto server = winservercpu();
        outcome run = runprogram(dir.path());
        run.cpu += winservercpu() - server;
        return run;
    };
    const outcome run = measure(full);
    const outcome start = measure(empty);
    ASSERT_EQ(run.status, 0);
    EXPECT_GE(run.elapsed, rows * 5ms);
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(run.elapsed - start.elapsed);
    const auto cpu = run.cpu - start.cpu;
    EXPECT_LT(cpu * 4, wall) << "CPU " << cpu.count() << " us in " << wall.count() << " us of plotting";
}

TEST(program, rowsreachtheoutputwhiletheplotgoeson)
{
    const tempdir dir;
    dir.writewave(makewave(std::string(std::size_t{400} * 400, '\0'))); // two seconds of rows
    program run(dir.path());
    ASSERT_TRUE(run.waitforoutput("|", 10s));
    EXPECT_TRUE(run.running()) << "the first row came only at the end";
}

} // namespace
