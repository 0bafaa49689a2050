// The platform layer on Linux and other POSIX systems: the terminal, the
// timer slack and the user's locale.

#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <filesystem>
#include <iconv.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// The character set of the user's locale (LC_CTYPE), such as "GBK" for
// zh_CN.GBK; "" where that locale is not set up.
std::string usercharset()
{
    const char *found = std::setlocale(LC_CTYPE, "");
    std::string name = found != nullptr ? nl_langinfo(CODESET) : "";
    (void)std::setlocale(LC_CTYPE, "C"); // nothing else in the program changes with it
    return name;
}

// The text in the character set of the user's locale; false where a
// character has no place there (iconv then stops at it).
bool tousercharset(const std::string &utf8, std::string &out)
{
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out = utf8; // the same in every character set this program meets
        return true;
    }
    const std::string charset = usercharset();
    if (charset == "UTF-8") {
        out = utf8;
        return true;
    }
    const iconv_t failed = reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr): iconv's own value
    const iconv_t converter = charset.empty() ? failed : iconv_open(charset.c_str(), "UTF-8");
    if (converter == failed)
        return false;
    std::string in = utf8;
    out.assign(4 * utf8.size(), '\0'); // four bytes a character at most, and each takes a byte of UTF-8 or more
    char *from = in.data();
    char *to = out.data();
    std::size_t fromleft = in.size();
    std::size_t toleft = out.size();
    const bool ok = iconv(converter, &from, &fromleft, &to, &toleft) != static_cast<std::size_t>(-1) &&
                    iconv(converter, nullptr, nullptr, &to, &toleft) != static_cast<std::size_t>(-1);
    (void)iconv_close(converter);
    out.resize(out.size() - toleft);
    return ok;
}

} // namespace

finetimer::finetimer()
{
#ifdef __linux__
    // 1 ns instead of the default 50 us, so each sleep ends on time.
    raised_ = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
#endif
}

finetimer::~finetimer()
{
#ifdef __linux__
    if (raised_)
        (void)prctl(PR_SET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL); // 0 restores the default
#endif
}

void waitabout(std::chrono::nanoseconds left)
{
    std::this_thread::sleep_for(left);
}

textencoding stdoutencoding()
{
    if (isatty(STDOUT_FILENO) == 0)
        return textencoding::gbk;
    return usercharset() == "UTF-8" ? textencoding::utf8 : textencoding::gbk;
}

bool writeconsole(const std::string & /*utf8*/)
{
    return false; // no such console here
}

bool ownsconsole()
{
    return false; // a terminal outlives the program
}

std::string currentfolder()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? "" : folder.string(); // the system's bytes, which writeerror passes on where they are not UTF-8
}

screeninfo stdoutscreen()
{
    // An xterm-like terminal holds a row as wide as itself on one line: the
    // cursor waits in the last column until the next character comes.
    screeninfo screen;
    winsize size{};
    if (isatty(STDOUT_FILENO) != 0 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0)
        screen.columns = size.ws_col;
    return screen;
}

bool widenconsole(std::int64_t /*columns*/)
{
    return false; // a terminal's size is its own
}

std::string messagelocale()
{
    // Fails when a locale the environment names is not installed.
    const char *all = std::setlocale(LC_ALL, "");
    std::string name = all != nullptr ? std::setlocale(LC_MESSAGES, nullptr) : "";
    (void)std::setlocale(LC_ALL, "C");
    return name;
}

bool errorcanshow(const std::string &utf8)
{
    std::string ignored;
    return tousercharset(utf8, ignored);
}

bool writeerror(const std::string &utf8)
{
    std::string bytes;
    if (!tousercharset(utf8, bytes))
        bytes = utf8;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(STDERR_FILENO, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}
