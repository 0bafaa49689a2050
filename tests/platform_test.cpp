// The Windows build's timer and write calls, read from a Wine relay
// trace: which calls the program makes around each row, in order. .ci/windows runs these
// on the normal build and on one that refuses the high-resolution timer
// (WAVESTARS_FALLBACK=1), as Windows before 10 1803 does.

#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
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
            WAVESTARS_SKIP("needs the Windows build under Wine: bash .ci/windows");
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
        WAVESTARS_SKIP("this build has the high-resolution timer");
    dir.writewave(makewave(std::string(std::size_t{rows} * 400, '\0')));
    const std::string shape = callshape(trace());
    EXPECT_TRUE(std::regex_match(shape, std::regex("B(WS{1,3}){" + std::to_string(rows) + "}EW+")))
        << shape.substr(0, 200);
}

TEST_F(winerelay, precisetimerwaitsaftereveryrowandleavesthetickalone)
{
    if (!env("WAVESTARS_FALLBACK").empty())
        WAVESTARS_SKIP("this build refuses the high-resolution timer");
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

// The Windows build in a console window of its own, as when double-clicked:
// wineconsole under Xvfb, in a prefix of its own. The window's text cannot
// be read from here, so the relay trace tells what the program asked of
// the console; the program is stopped at its wait for a value.
class winewindow : public testing::Test {
  public:
    static void SetUpTestSuite()
    {
        if (env("WAVESTARS_WINESERVER").empty() ||
            std::system("command -v xvfb-run >/dev/null") != 0) // NOLINT(cert-env33-c): a shell question
            return;
        prefix = std::make_unique<tempdir>();
        // The first console window of a new prefix is slow to come up.
        const std::string warmup = wine() + "wineboot --init >/dev/null 2>&1; " + inprefix() + "'" +
                                   env("WAVESTARS_WINESERVER") + "' -w; " + inprefix() + "xvfb-run -a '" + runner() +
                                   "' wineconsole cmd /c exit >/dev/null 2>&1";
        (void)std::system(warmup.c_str()); // NOLINT(cert-env33-c)
    }
    static void TearDownTestSuite()
    {
        if (prefix)
            stopwine();
        prefix.reset();
    }

  protected:
    void SetUp() override
    {
        if (env("WAVESTARS_WINESERVER").empty())
            WAVESTARS_SKIP("needs the Windows build under Wine: bash .ci/windows");
        if (!prefix)
            WAVESTARS_SKIP("xvfb-run is not installed (Debian's xvfb)");
        std::filesystem::copy_file(env("WAVESTARS_EXE"), dir.path() + "/wavestars.exe");
    }

    static std::string inprefix() { return "env WINEPREFIX='" + prefix->path() + "' "; }
    static std::string wine() { return inprefix() + "WINEDEBUG=-all '" + runner() + "' "; }
    // Ends every Wine process of the prefix, the console window included.
    static void stopwine()
    {
        (void)std::system((inprefix() + "'" + env("WAVESTARS_WINESERVER") + "' -k").c_str()); // NOLINT(cert-env33-c)
    }

    // The console calls of one run in a new console window, up to the
    // program's wait for a value; the program's thread is the one that
    // asks who shares its console.
    std::string consolecalls(const std::string &command) const
    {
        const std::string trace = dir.path() + "/trace";
        const std::string finished = dir.path() + "/finished";
        std::filesystem::remove(trace); // an earlier run's
        std::filesystem::remove(finished);
        const std::string run =
            "(cd '" + dir.path() + "' && " + inprefix() + "WINEDEBUG=+relay xvfb-run -a '" + runner() +
            "' wineconsole " + command +
            " 2>&1 >/dev/null | grep --line-buffered -E "
            "'Console(ScreenBufferSize|WindowInfo|ProcessList)|WriteConsoleW|KERNEL32.ReadFile' >'" +
            trace + "'; touch '" + finished + "') &";
        EXPECT_EQ(std::system(run.c_str()), 0); // NOLINT(cert-env33-c)
        std::string calls;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            calls = threadcalls(readfile(trace));
            if (calls.find("KERNEL32.ReadFile(") != std::string::npos)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        stopwine();
        while (!std::filesystem::exists(finished) &&
               std::chrono::steady_clock::now() < deadline + std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_NE(calls.find("KERNEL32.ReadFile("), std::string::npos) << "never reached its wait:\n" << calls;
        return calls;
    }

    // The lines of the thread that called GetConsoleProcessList, from there on.
    static std::string threadcalls(const std::string &trace)
    {
        const std::size_t first = trace.find("Call KERNEL32.GetConsoleProcessList(");
        if (first == std::string::npos)
            return "";
        const std::size_t start = trace.rfind('\n', first) + 1;
        const std::string thread = trace.substr(start, first - start);
        std::istringstream lines(trace.substr(start));
        std::string calls;
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, thread.size(), thread) == 0)
                calls += line.substr(thread.size()) + "\n";
        return calls;
    }

    static std::unique_ptr<tempdir> prefix;
    tempdir dir;
};

std::unique_ptr<tempdir> winewindow::prefix;

// The warning on standard error: one write of its whole line, CR LF included.
std::string warningwrite(int columns)
{
    const std::string warning = "wavestars: warning: rows wrapped: the plot needs 151 columns, the screen has " +
                                std::to_string(columns) + "\r\n";
    char count[16];
    (void)std::snprintf(count, sizeof count, ",%08zx,", warning.size());
    return count;
}

TEST_F(winewindow, widensawindowofitsowntothewidestrowandkeepsitsheight)
{
    dir.writewave(makewave(spacedsamples({0, 32767, -16000, 0}, std::size_t{4} * 400)));
    const std::string calls = consolecalls("wavestars.exe");
    // A new console is 80 columns by 150 lines: the buffer becomes 151 by 150.
    EXPECT_TRUE(
        std::regex_search(calls, std::regex("Call KERNEL32.SetConsoleScreenBufferSize\\([0-9a-f]+,00960097\\)")))
        << calls;
    EXPECT_NE(calls.find("Ret  KERNEL32.SetConsoleScreenBufferSize() retval=00000001"), std::string::npos) << calls;
    EXPECT_NE(calls.find("Ret  KERNEL32.SetConsoleWindowInfo() retval=00000001"), std::string::npos) << calls;
    EXPECT_EQ(calls.find(warningwrite(80)), std::string::npos) << "warned although widened:\n" << calls;
}

TEST_F(winewindow, leavesaconsoleitsharesoronethatfitsaloneandwarnsonlywherearowwraps)
{
    const struct {
        const char *command;
        std::vector<std::int16_t> samples;
        bool warns;
    } cases[] = {
        {"cmd /c wavestars.exe", {0, 32767, -16000, 0}, true}, // the shell's console
        {"wavestars.exe", {0, 9000, -16000, 0}, false},        // 27 stars: 78 columns and the margin fit in 80
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        dir.writewave(makewave(spacedsamples(c.samples, c.samples.size() * 400)));
        const std::string calls = consolecalls(c.command);
        EXPECT_EQ(calls.find("SetConsoleScreenBufferSize"), std::string::npos) << calls;
        EXPECT_EQ(calls.find("SetConsoleWindowInfo"), std::string::npos) << calls;
        EXPECT_EQ(calls.find(warningwrite(80)) != std::string::npos, c.warns) << calls;
    }
}

} // namespace
