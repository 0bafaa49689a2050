#include "platform.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <timeapi.h>
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002 // Windows 10 1803 on; older MinGW headers lack it
#endif
#else
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
#endif

#ifdef _WIN32

namespace {

// A timer that wakes within a fraction of a millisecond, made once; null
// where the system refuses the flag (before Windows 10 1803).
HANDLE precisetimer()
{
#ifdef WAVESTARS_REFUSE_PRECISE_TIMER
    return nullptr; // a test build: the fallback must run under a test somewhere
#else
    static const HANDLE timer =
        CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    return timer;
#endif
}

// One wait of about left. It may end early, so the caller checks the clock.
void waitonce(std::chrono::nanoseconds left)
{
    // cppcheck-suppress knownConditionTrueFalse ; always null only in the build that refuses it
    if (HANDLE timer = precisetimer()) {
        LARGE_INTEGER due;
        due.QuadPart = -((left.count() + 99) / 100); // negative: relative, in 100 ns units
        if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) != 0 &&
            WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0)
            return;
    }
    // Sleep takes whole milliseconds, and Sleep(0) returns at once.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    Sleep(static_cast<DWORD>(std::clamp<long long>(ms, 1, 60000)));
}

bool isconsole(DWORD stdhandle)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stdhandle), &mode) != 0;
}

// UTF-8 as UTF-16; empty for text that is not UTF-8.
std::wstring towide(const std::string &utf8)
{
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length) == 0)
        return L"";
    return wide;
}

bool writeconsoleto(DWORD stdhandle, const std::string &utf8)
{
    const std::wstring wide = towide(utf8);
    if (wide.empty())
        return utf8.empty();
    const HANDLE out = GetStdHandle(stdhandle);
    for (std::size_t done = 0; done < wide.size();) {
        DWORD written = 0;
        if (WriteConsoleW(out, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) == 0 ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

// The text in the ANSI code page; false where a character has no place
// there and would come out as '?'.
bool toansi(const std::string &utf8, std::string &out)
{
    if (GetACP() == CP_UTF8) {
        out = utf8;
        return true;
    }
    const std::wstring wide = towide(utf8);
    const int size = static_cast<int>(wide.size());
    BOOL defaulted = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &defaulted);
    if (length <= 0 || defaulted)
        return utf8.empty();
    out.assign(static_cast<std::size_t>(length), '\0');
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length, nullptr,
                               &defaulted) == length &&
           !defaulted;
}

// The runtime writes each line end as CR LF; so do these lines.
std::string crlf(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

// Sleep wakes on the system tick, 15.6 ms by default, which would stretch
// every 5 ms pause threefold; only the fallback needs the finer tick.
finetimer::finetimer() : raised_(precisetimer() == nullptr && timeBeginPeriod(1) == TIMERR_NOERROR) {}

finetimer::~finetimer()
{
    if (raised_)
        (void)timeEndPeriod(1);
}

textencoding stdoutencoding()
{
    return isconsole(STD_OUTPUT_HANDLE) ? textencoding::console : textencoding::gbk;
}

bool writeconsole(const std::string &utf8)
{
    return writeconsoleto(STD_OUTPUT_HANDLE, utf8);
}

std::string messagelocale()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) == 0)
        return "";
    std::string ascii;
    for (const wchar_t *c = name; *c != L'\0'; ++c)
        ascii += static_cast<char>(*c & 0x7F); // such as "zh-CN": ASCII letters and a hyphen
    return ascii;
}

bool errorcanshow(const std::string &utf8)
{
    std::string ignored;
    return isconsole(STD_ERROR_HANDLE) || toansi(utf8, ignored);
}

bool writeerror(const std::string &utf8)
{
    if (isconsole(STD_ERROR_HANDLE))
        return writeconsoleto(STD_ERROR_HANDLE, crlf(utf8));
    std::string bytes;
    if (!toansi(utf8, bytes))
        bytes = utf8;
    bytes = crlf(bytes);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        if (WriteFile(err, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) == 0 ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

bool ownsconsole()
{
    DWORD ids[2];
    return GetConsoleProcessList(ids, 2) == 1 && isconsole(STD_INPUT_HANDLE) && isconsole(STD_ERROR_HANDLE);
}

#else

namespace {

void waitonce(std::chrono::nanoseconds left)
{
    std::this_thread::sleep_for(left);
}

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

#endif

void pauseatleast(std::chrono::nanoseconds delay)
{
    using clock = std::chrono::steady_clock;
    const clock::time_point until = clock::now() + delay;
    for (clock::time_point now = clock::now(); now < until; now = clock::now())
        waitonce(until - now);
}
