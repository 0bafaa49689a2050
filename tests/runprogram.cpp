#include "runprogram.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Wine names its server's working folder after the prefix's device and
// inode, in hexadecimal: ".../server-fe00-5100fb".
std::string serverfolder()
{
    std::string prefix = env("WINEPREFIX");
    if (prefix.empty())
        prefix = env("HOME") + "/.wine";
    struct stat info {};
    if (stat(prefix.c_str(), &info) != 0)
        return "";
    char name[64];
    (void)std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                        static_cast<unsigned long long>(info.st_ino));
    return name;
}

// The tests' locales, which the build made (makelocale.cmake), for every
// program the tests start and for this process's own look-ups. With
// LOCPATH set, glibc reads no locale of the machine's but C.UTF-8, so a
// test passes or fails the same wherever it runs.
[[maybe_unused]] const int localepath = setenv("LOCPATH", WAVESTARS_LOCALEDIR, 1);

} // namespace

std::string notmade(const std::string &locale)
{
    if (std::filesystem::is_directory(std::string(WAVESTARS_LOCALEDIR) + "/" + locale))
        return "";
    return locale + " was not made for the tests (the build's warning says why): it needs localedef and glibc's " +
           "locale sources, which Debian's locales package has; install them and build again";
}

bool installed(const char *locale)
{
    // setlocale, not newlocale: with LOCPATH set, glibc's newlocale does not
    // free its copy of the path, which LeakSanitizer reports at exit.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const bool found = std::setlocale(LC_ALL, locale) != nullptr;
    (void)std::setlocale(LC_ALL, before.c_str());
    return found;
}

bool skipsfail()
{
    return !env("WAVESTARS_SKIPSFAIL").empty();
}

std::string runner()
{
    return env("WAVESTARS_RUNNER");
}

namespace {

// The program under test; WAVESTARS_EXE and WAVESTARS_RUNNER (a loader such
// as wine) let the same tests run another build of it.
std::vector<std::string> commandline(const std::vector<std::string> &arguments)
{
    std::vector<std::string> args;
    if (!runner().empty())
        args.emplace_back(runner());
    const char *exe = std::getenv("WAVESTARS_EXE");
    args.emplace_back(exe != nullptr && *exe != '\0' ? exe : WAVESTARS_EXE);
    args.insert(args.end(), arguments.begin(), arguments.end());
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

// Runs the program in dir, in place of this process, with environment
// added to this one's and arguments on its command line.
[[noreturn]] void execprogram(const std::string &dir, const std::vector<std::string> &environment,
                              const std::vector<std::string> &arguments)
{
    // English messages, whatever the locale of whoever runs the tests.
    if (setenv("LC_ALL", "C.UTF-8", 1) != 0)
        _exit(124);
    for (const std::string &setting : environment) {
        const std::size_t equals = setting.find('=');
        if (equals == std::string::npos ||
            setenv(setting.substr(0, equals).c_str(), setting.c_str() + equals + 1, 1) != 0)
            _exit(124);
    }
    if (chdir(dir.c_str()) != 0)
        _exit(126);
    const std::vector<std::string> args = commandline(arguments);
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    (void)signal(SIGPIPE, SIG_DFL);
    execv(argv[0], argv.data());
    _exit(127);
}

[[noreturn]] void startchild(const std::string &dir, int in[2], int out[2], int err[2], inputmode inmode,
                             outputmode outmode, std::uint64_t addresslimit,
                             const std::vector<std::string> &environment, const std::vector<std::string> &arguments)
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
    execprogram(dir, environment, arguments);
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
            throw std::runtime_error("a line end without CR from a Windows build: " + text);
        out += text[i];
    }
    return out;
}

} // namespace

std::chrono::microseconds winservercpu()
{
    const std::string folder = serverfolder();
    if (env("WAVESTARS_WINESERVER").empty() || folder.empty())
        return {};
    std::error_code error;
    for (const auto &process : std::filesystem::directory_iterator("/proc", error)) {
        const auto cwd = std::filesystem::read_symlink(process.path() / "cwd", error);
        if (error || cwd.filename() != folder)
            continue;
        // utime and stime are fields 14 and 15, after the name in parentheses.
        std::ifstream stat(process.path() / "stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string skip;
        for (int i = 3; i < 14; ++i)
            fields >> skip;
        long long user = 0;
        long long system = 0;
        fields >> user >> system;
        return std::chrono::microseconds((user + system) * 1000000 / sysconf(_SC_CLK_TCK));
    }
    return {};
}

std::string samplefolder()
{
    const std::string folder = env("WAVESTARS_SAMPLEDIR");
    return folder.empty() ? WAVESTARS_SAMPLEDIR : folder;
}

std::string shellquote(const std::string &text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string readfile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

program::program(const std::string &dir, inputmode in, outputmode out, std::uint64_t addresslimit,
                 const std::vector<std::string> &environment, errormode err, const std::vector<std::string> &arguments)
{
    (void)signal(SIGPIPE, SIG_IGN); // a program that exits early must not kill the test
    int inpipe[2];
    int outpipe[2];
    int errpipe[2];
    check(pipe(inpipe) == 0 && pipe(outpipe) == 0, "pipe");
    if (err == errormode::records)
        check(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, errpipe) == 0, "socketpair");
    else
        check(pipe(errpipe) == 0, "pipe");
    if (out == outputmode::readergone)
        closefd(outpipe[0]);
    start_ = std::chrono::steady_clock::now();
    pid_ = fork();
    check(pid_ >= 0, "fork");
    if (pid_ == 0)
        startchild(dir, inpipe, outpipe, errpipe, in, out, addresslimit, environment, arguments);
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

// A program that has already ended, say on an error, reads no input: the
// write then fails with EPIPE, and its output and status tell the rest.
void program::send(const std::string &text) const
{
    for (std::size_t sent = 0; sent < text.size();) {
        const ssize_t wrote = write(in_, text.data() + sent, text.size() - sent);
        if (wrote < 0 && errno == EPIPE)
            return;
        if (wrote < 0 && errno == EINTR)
            continue;
        check(wrote > 0, "write to the program");
        sent += static_cast<std::size_t>(wrote);
    }
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
        if (got > 0 && s.fd == &err_)
            result_.errwrites.emplace_back(buffer, static_cast<std::size_t>(got));
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

outcome runprogram(const std::string &dir, const std::string &input, const std::vector<std::string> &environment,
                   const std::vector<std::string> &arguments)
{
    program run(dir, inputmode::pipe, outputmode::pipe, 0, environment, errormode::pipe, arguments);
    if (!input.empty())
        run.send(input);
    return run.finish();
}

outcome runonterminal(const std::string &dir, unsigned short columns, const std::vector<std::string> &environment,
                      const std::vector<std::string> &arguments)
{
    termios mode{};
    cfmakeraw(&mode); // the bytes as the program writes them: no CR added, no echo
    winsize size{};
    size.ws_row = 50;
    size.ws_col = columns;
    int terminal = -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = forkpty(&terminal, nullptr, &mode, &size);
    check(pid >= 0, "forkpty");
    if (pid == 0) {
        const int nothing = open("/dev/null", O_RDONLY);
        if (nothing < 0 || dup2(nothing, 0) < 0)
            _exit(124);
        execprogram(dir, environment, arguments);
    }
    outcome result;
    const auto deadline = start + std::chrono::seconds(30);
    for (;;) {
        pollfd ready = {terminal, POLLIN, 0};
        if (std::chrono::steady_clock::now() > deadline || poll(&ready, 1, 100) < 0)
            break;
        char buffer[65536];
        const ssize_t got = (ready.revents & (POLLIN | POLLHUP)) != 0 ? read(terminal, buffer, sizeof buffer) : 0;
        if (got < 0 && errno != EINTR)
            break; // EIO: every writer has closed the terminal
        if (got > 0)
            result.out.append(buffer, static_cast<std::size_t>(got));
    }
    close(terminal);
    kill(pid, SIGKILL); // only where the program outlived the deadline
    int status = 0;
    check(waitpid(pid, &status, 0) == pid, "waitpid");
    result.elapsed = std::chrono::steady_clock::now() - start;
    result.exited = WIFEXITED(status);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}
