#pragma once

// Runs the built wavestars in a folder of its own and talks to it through
// pipes, for the end-to-end tests.

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Whether the tests, and so the program they run, are built with
// AddressSanitizer, whose allocator works otherwise.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif

// True where the locale can be used here: for the test binary and all it
// starts, glibc reads locales only from the folder the build made them in
// (LOCPATH), and C.UTF-8.
bool installed(const char *locale);

// Empty where the build made the locale for the tests; else why it did not,
// for a skip.
std::string notmade(const std::string &locale);

// True in CI, where .ci/run sets WAVESTARS_SKIPSFAIL: each step runs only
// the tests meant for it and installs what they need, so a skip there
// would hide a test that did not run.
bool skipsfail();

// Skips the test, saying why (a locale not made, tmux missing, a test for
// another build), or fails it where skips fail.
#define WAVESTARS_SKIP(why)                                                                                            \
    do {                                                                                                               \
        if (skipsfail())                                                                                               \
            GTEST_FAIL() << (why);                                                                                     \
        GTEST_SKIP() << (why);                                                                                         \
    } while (false)

// The loader the program runs under, such as wine or qemu, from
// WAVESTARS_RUNNER; empty when it runs on its own.
std::string runner();

// CPU time (user and system) used so far by the Wine server of the prefix
// in WINEPREFIX, or 0 where none runs. A Windows program's calls into Wine
// cost the server CPU time that is not the program's, nor its child's.
std::chrono::microseconds winservercpu();

// text in single quotes, as one word for sh.
std::string shellquote(const std::string &text);

// The whole of a file; "" where it cannot be read.
std::string readfile(const std::string &path);

// The folder that holds the sample sound: the build's, or a package's
// named by WAVESTARS_SAMPLEDIR.
std::string samplefolder();

// A fresh folder under the system's temporary folder, removed afterwards.
class tempdir {
  public:
    tempdir();
    ~tempdir();
    tempdir(const tempdir &) = delete;
    tempdir &operator=(const tempdir &) = delete;
    const std::string &path() const { return path_; }
    // Writes bytes to ./Alarm02.wav in the folder.
    void writewave(const std::string &bytes) const;

  private:
    std::string path_;
};

struct outcome {
    std::string out;
    std::string err;
    std::vector<std::string> errwrites; // err as the program wrote it, with errormode::records
    bool exited = false;                // else killed by a signal
    int status = -1;                    // exit status, or the signal's number
    std::chrono::steady_clock::duration elapsed{};
    std::chrono::microseconds cpu{}; // user and system time, from wait4
};

enum class inputmode { pipe, closed };
enum class outputmode { pipe, closed, readergone };
// records: standard error is a socket that keeps each write apart.
enum class errormode { pipe, records };

class program {
  public:
    // addresslimit, if not 0, caps the program's address space (RLIMIT_AS);
    // The program runs with LC_ALL=C.UTF-8, so it speaks English, and with
    // environment: "NAME=value" settings added to the test's own, and with
    // arguments on its command line.
    explicit program(const std::string &dir, inputmode in = inputmode::pipe, outputmode out = outputmode::pipe,
                     std::uint64_t addresslimit = 0, const std::vector<std::string> &environment = {},
                     errormode err = errormode::pipe, const std::vector<std::string> &arguments = {});
    ~program();
    program(const program &) = delete;
    program &operator=(const program &) = delete;

    void send(const std::string &text) const;
    void endinput();
    // Reads until standard output holds text; false if limit passes first.
    bool waitforoutput(const std::string &text, std::chrono::milliseconds limit);
    pid_t pid() const { return pid_; }
    // True while the program has not exited.
    bool running();
    // Waits for the program to exit; false if limit passes first.
    bool waitforexit(std::chrono::milliseconds limit);
    // Ends the input, reads everything, waits; kills the program after limit.
    outcome finish(std::chrono::seconds limit = std::chrono::seconds(30));

  private:
    void drain(int timeoutms);

    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    std::chrono::steady_clock::time_point start_;
    outcome result_;
    bool reaped_ = false;
};

// Runs the program in dir with input on its standard input, to the end.
outcome runprogram(const std::string &dir, const std::string &input = "",
                   const std::vector<std::string> &environment = {}, const std::vector<std::string> &arguments = {});

// Runs the program in dir on a new pseudo-terminal columns wide, which is
// its standard output and standard error both, with its input at its end.
// out holds what the terminal received, in order, byte for byte.
outcome runonterminal(const std::string &dir, unsigned short columns, const std::vector<std::string> &environment = {},
                      const std::vector<std::string> &arguments = {});
