// The platform layer on Linux and other POSIX systems: the terminal, the
// timer slack and the user's locale.

#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <langinfo.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// The code points of UTF-8 text; false if it is not UTF-8.
bool decodeutf8(const std::string &utf8, std::u32string &points)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : lead >> 5 == 0x6  ? 2
                                   : lead >> 4 == 0xE  ? 3
                                   : lead >> 3 == 0x1E ? 4
                                                       : 0;
        if (length == 0 || i + length > utf8.size())
            return false;
        char32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if (next >> 6 != 0x2)
                return false;
            point = point << 6 | (next & 0x3Fu);
        }
        points += point;
        i += length;
    }
    return true;
}

// The text in the character set of the user's locale (LC_CTYPE), such as
// GBK bytes for zh_CN.GBK; false where a character has no place there.
bool tousercharset(const std::string &utf8, std::string &out)
{
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out = utf8; // the same in every character set this program meets
        return true;
    }
    if (std::setlocale(LC_CTYPE, "") == nullptr)
        return false;
    bool ok = true;
    std::u32string points;
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) {
        out = utf8;
    } else if ((ok = decodeutf8(utf8, points))) {
        out.clear();
        std::mbstate_t state{};
        char bytes[MB_LEN_MAX];
        for (const char32_t point : points) {
            const std::size_t length = std::wcrtomb(bytes, static_cast<wchar_t>(point), &state);
            if (length == static_cast<std::size_t>(-1)) {
                ok = false;
                break;
            }
            out.append(bytes, length);
        }
    }
    (void)std::setlocale(LC_CTYPE, "C"); // nothing else in the program changes with it
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
    // Ask the user's locale, then put the C locale back so that nothing
    // else in the program changes with it.
    const char *found = std::setlocale(LC_CTYPE, "");
    const bool utf8 = found != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    (void)std::setlocale(LC_CTYPE, "C");
    return utf8 ? textencoding::utf8 : textencoding::gbk;
}

bool writeconsole(const std::string & /*utf8*/)
{
    return false; // no such console here
}

bool ownsconsole()
{
    return false; // a terminal outlives the program
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
