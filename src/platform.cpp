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
#include <clocale>
#include <cstring>
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
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length) == 0)
        return false;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (std::size_t done = 0; done < wide.size();) {
        DWORD written = 0;
        if (WriteConsoleW(out, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) == 0 ||
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

#endif

void pauseatleast(std::chrono::nanoseconds delay)
{
    using clock = std::chrono::steady_clock;
    const clock::time_point until = clock::now() + delay;
    for (clock::time_point now = clock::now(); now < until; now = clock::now())
        waitonce(until - now);
}
