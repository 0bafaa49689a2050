// The Windows build's timer and write calls, read from a Wine relay
// trace: which calls the program makes around each row, in order. .ci/windows runs these
// on the normal build and on one that refuses the high-resolution timer
// (WAVESTARS_FALLBACK=1), as Windows before 10 1803 does.

#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string readfile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One letter a call of interest, in the order the program's main thread
// made them: B and E raise and restore the timer resolution to 1 ms (b and
// e any other value), S is a Sleep of at least 1 ms (Z one of 0), T arms a
// waitable timer and W writes a file (the rows and the summary).
std::string callshape(const std::string &trace)
{
    static const struct {
        const char *call;
        char letter;
    } calls[] = {{"winmm.timeBeginPeriod(00000001)", 'B'}, {"winmm.timeBeginPeriod(", 'b'},
                 {"winmm.timeEndPeriod(00000001)", 'E'},   {"winmm.timeEndPeriod(", 'e'},
                 {"KERNEL32.Sleep(00000000)", 'Z'},        {"KERNEL32.Sleep(", 'S'},
                 {"KERNEL32.SetWaitableTimer(", 'T'},      {"KERNEL32.WriteFile(", 'W'}};
    std::istringstream lines(trace);
    std::string thread; // the main thread's id: the one that calls out of the exe at 0x140000000
    std::string shape;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t call = line.find(":Call ");
        if (call == std::string::npos)
            continue;
        if (thread.empty() && line.find(" ret=14000") != std::string::npos)
            thread = line.substr(0, call);
        if (thread.empty() || line.compare(0, call, thread) != 0)
            continue;
        for (const auto &c : calls)
            if (line.compare(call + 6, std::string(c.call).size(), c.call) == 0) {
                shape += c.letter;
                break;
            }
    }
    return shape;
}

class winerelay : public testing::Test {
  protected:
    void SetUp() override
    {
        if (env("WAVESTARS_WINESERVER").empty())
            GTEST_SKIP() << "needs the Windows build under Wine: bash .ci/windows";
    }

    // The relay trace of one run of the program, standard error included.
    std::string trace(const std::string &locale = "C.UTF-8", int status = 0) const
    {
        const std::string command = "cd '" + dir.path() + "' && LC_ALL=" + locale + " WINEDEBUG=+relay '" + runner() +
                                    "' '" + env("WAVESTARS_EXE") + "' </dev/null >out 2>trace";
        const int result = std::system(command.c_str()); // NOLINT(cert-env33-c): the loader is a command
        EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == status) << "status " << result;
        return readfile(dir.path() + "/trace");
    }

    static constexpr int rows = 20;
    tempdir dir;
};

// A pause is one wait, or a few where one ends early and the rest is
// waited for; a wait that returns at once makes hundreds a row, whatever
// the machine's load, which a CPU share does not show as surely.

// Before Windows 10 1803 each pause is a Sleep, which wakes only on the
// system tick: the tick is 1 ms for the plot and nowhere else.
TEST_F(winerelay, fallbacksleepsaftereveryrowwithafinertickaroundtheplotonly)
{
    if (env("WAVESTARS_FALLBACK").empty())
        GTEST_SKIP() << "this build has the high-resolution timer";
    dir.writewave(makewave(std::string(std::size_t{rows} * 400, '\0')));
    const std::string shape = callshape(trace());
    EXPECT_TRUE(std::regex_match(shape, std::regex("B(WS{1,3}){" + std::to_string(rows) + "}EW+")))
        << shape.substr(0, 200);
}

TEST_F(winerelay, precisetimerwaitsaftereveryrowandleavesthetickalone)
{
    if (!env("WAVESTARS_FALLBACK").empty())
        GTEST_SKIP() << "this build refuses the high-resolution timer";
    dir.writewave(makewave(std::string(std::size_t{rows} * 400, '\0')));
    const std::string shape = callshape(trace());
    EXPECT_TRUE(std::regex_match(shape, std::regex("(WT{1,3}){" + std::to_string(rows) + "}W+")))
        << shape.substr(0, 200);
}

// Lines of two programs that share a console must not cut into each other.
TEST_F(winerelay, writesanerrorlineinonewrite)
{
    for (const char *locale : {"C.UTF-8", "zh_CN.UTF-8"}) {
        SCOPED_TRACE(locale);
        EXPECT_EQ(callshape(trace(locale, 1)), "W") << "no file: one line on standard error and nothing else";
    }
}

} // namespace
