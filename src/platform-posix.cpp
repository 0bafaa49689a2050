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

bool allascii(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// text from the character set from to the character set to; false where a
// character has no place there (iconv then stops at it) or is not valid.
bool convert(const std::string &text, const std::string &from, const std::string &to, std::string &out)
{
    const iconv_t failed = reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr): iconv's own value
    const iconv_t converter = from.empty() || to.empty() ? failed : iconv_open(to.c_str(), from.c_str());
    if (converter == failed)
        return false;
    std::string in = text;
    out.assign(4 * text.size(), '\0'); // four bytes a character at most, and each takes a byte or more
    char *source = in.data();
    char *target = out.data();
    std::size_t sourceleft = in.size();
    std::size_t targetleft = out.size();
    const bool ok = iconv(converter, &source, &sourceleft, &target, &targetleft) != static_cast<std::size_t>(-1) &&
                    iconv(converter, nullptr, nullptr, &target, &targetleft) != static_cast<std::size_t>(-1);
    (void)iconv_close(converter);
    out.resize(out.size() - targetleft);
    return ok;
}

// The text in the character set of the user's locale; false where a
// character has no place there.
bool tousercharset(const std::string &utf8, std::string &out)
{
    const std::string charset = usercharset();
    if (allascii(utf8) || charset == "UTF-8") {
        out = utf8; // ASCII is the same in every character set this program meets
        return true;
    }
    return convert(utf8, "UTF-8", charset, out);
}

// A name the system gave, such as a folder or an argument, in UTF-8; its
// bytes unchanged where they are not in the user's character set.
std::string fromusercharset(const std::string &name)
{
    const std::string charset = usercharset();
    std::string utf8;
    if (allascii(name) || charset == "UTF-8" || !convert(name, charset, "UTF-8", utf8))
        return name;
    return utf8;
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

whereabouts findwhereabouts(int argc, const char *const *argv)
{
    whereabouts where;
    std::error_code error;
    where.currentfolder = fromusercharset(std::filesystem::current_path(error).string());
    if (error)
        where.currentfolder.clear();
    // Linux names the program's own file here; elsewhere it stays unknown.
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        where.programpath = fromusercharset(program.string());
        // An installed program's sample, as in /usr/bin and /usr/share/wavestars.
        const std::filesystem::path samples = (program.parent_path() / "../share/wavestars").lexically_normal();
        if (std::filesystem::is_regular_file(samples / "Alarm02.wav", error))
            where.samplefolder = fromusercharset(samples.string());
    }
    const std::string name = argc > 0 ? argv[0] : "";
    if (!name.empty() && name.find('/') == std::string::npos)
        where.typedname = fromusercharset(name); // a shell found it on PATH, so the name alone starts it again
    for (int i = 1; i < argc; ++i)
        where.arguments.push_back(fromusercharset(argv[i]));
    return where;
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
