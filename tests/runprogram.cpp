#include "runprogram.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

std::string runner()
{
    const char *loader = std::getenv("WAVESTARS_RUNNER");
    return loader != nullptr ? loader : "";
}

namespace {

// The program under test; WAVESTARS_EXE and WAVESTARS_RUNNER (a loader such
// as wine) let the same tests run another build of it.
std::vector<std::string> commandline()
{
    std::vector<std::string> args;
    if (!runner().empty())
        args.emplace_back(runner());
    const char *exe = std::getenv("WAVESTARS_EXE");
    args.emplace_back(exe != nullptr && *exe != '\0' ? exe : WAVESTARS_EXE);
    return args;
}

void check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void closefd(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

[[noreturn]] void startchild(const std::string &dir, int in[2], int out[2], int err[2], inputmode inmode,
                             outputmode outmode, std::uint64_t addresslimit)
{
    if (addresslimit != 0) {
        const rlimit limit = {addresslimit, addresslimit};
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(125);
    }
    if (inmode == inputmode::closed)
        close(0);
    else
        dup2(in[0], 0);
    if (outmode == outputmode::closed)
        close(1);
    else
        dup2(out[1], 1);
    dup2(err[1], 2);
    for (int *p : {in, out, err})
        for (int i = 0; i < 2; ++i)
            if (p[i] > 2)
                close(p[i]);
    if (chdir(dir.c_str()) != 0)
        _exit(126);
    const std::vector<std::string> args = commandline();
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    (void)signal(SIGPIPE, SIG_DFL);
    execv(argv[0], argv.data());
    _exit(127);
}

// With WAVESTARS_CRLF set the program is a Windows build, whose runtime
// writes each line end as CR LF: every LF must follow a CR, and the pairs
// are turned back into LF so the expected texts serve both builds.
std::string unixlineends(const std::string &text)
{
    const char *crlf = std::getenv("WAVESTARS_CRLF");
    if (crlf == nullptr || *crlf == '\0')
        return text;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            throw std::runtime_error("a line end without CR from a Windows build");
        out += text[i];
    }
    return out;
}

} // namespace

tempdir::tempdir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "wavestars-XXXXXX").string();
    check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    path_ = pattern;
}

tempdir::~tempdir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void tempdir::writewave(const std::string &bytes) const
{
    std::ofstream file(path_ + "/Alarm02.wav", std::ios::binary);
    file << bytes;
    if (!file)
        throw std::runtime_error("cannot write the fixture in " + path_);
}

program::program(const std::string &dir, inputmode in, outputmode out, std::uint64_t addresslimit)
{
    (void)signal(SIGPIPE, SIG_IGN); // a program that exits early must not kill the test
    int inpipe[2];
    int outpipe[2];
    int errpipe[2];
    check(pipe(inpipe) == 0 && pipe(outpipe) == 0 && pipe(errpipe) == 0, "pipe");
    if (out == outputmode::readergone)
        closefd(outpipe[0]);
    start_ = std::chrono::steady_clock::now();
    pid_ = fork();
    check(pid_ >= 0, "fork");
    if (pid_ == 0)
        startchild(dir, inpipe, outpipe, errpipe, in, out, addresslimit);
    close(inpipe[0]);
    close(outpipe[1]);
    close(errpipe[1]);
    in_ = inpipe[1];
    out_ = outpipe[0];
    err_ = errpipe[0];
}

program::~program()
{
    if (!reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    closefd(in_);
    closefd(out_);
    closefd(err_);
}

void program::send(const std::string &text) const
{
    check(write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size()), "write to the program");
}

void program::endinput()
{
    closefd(in_);
}

// Reads whatever is ready on standard output and standard error, waiting
// at most timeoutms for something to arrive.
void program::drain(int timeoutms)
{
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (poll(fds, 2, timeoutms) <= 0)
        return;
    const struct {
        short revents;
        int *fd;
        std::string *sink;
    } streams[2] = {{fds[0].revents, &out_, &result_.out}, {fds[1].revents, &err_, &result_.err}};
    for (const auto &s : streams) {
        if (s.revents == 0)
            continue;
        char buffer[65536];
        const ssize_t got = read(*s.fd, buffer, sizeof buffer);
        if (got > 0)
            s.sink->append(buffer, static_cast<std::size_t>(got));
        else
            closefd(*s.fd);
    }
}

bool program::waitforoutput(const std::string &text, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto seen = [&] { return result_.out.find(text) != std::string::npos; };
    while (!seen() && std::chrono::steady_clock::now() < deadline && (out_ >= 0 || err_ >= 0))
        drain(10);
    return seen();
}

bool program::running()
{
    if (reaped_)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid_, &status, WNOHANG, &usage) != pid_)
        return true;
    reaped_ = true;
    result_.elapsed = std::chrono::steady_clock::now() - start_;
    result_.cpu = std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    result_.exited = WIFEXITED(status);
    result_.status = WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status);
    return false;
}

bool program::waitforexit(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !running();
}

outcome program::finish(std::chrono::seconds limit)
{
    endinput();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while ((out_ >= 0 || err_ >= 0) && std::chrono::steady_clock::now() < deadline)
        drain(10);
    if (!waitforexit(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        reaped_ = true;
        throw std::runtime_error("the program did not end within the time limit");
    }
    result_.out = unixlineends(result_.out);
    result_.err = unixlineends(result_.err);
    return result_;
}

outcome runprogram(const std::string &dir, const std::string &input)
{
    program run(dir);
    if (!input.empty())
        run.send(input);
    return run.finish();
}
