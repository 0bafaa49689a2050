// The platform layer on Windows: the console, the timer, the user's
// language and code page, through the Windows API.

#include "platform.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <windows.h>
// after windows.h, which they need
#include <shellapi.h>
#include <timeapi.h>
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002 // Windows 10 1803 on; older MinGW headers lack it
#endif

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

// A window that shows the console's buffer. Windows Terminal's console
// window (PseudoConsoleWindow) and Wine's in a terminal are hidden: the
// terminal wraps at its own width, whatever the buffer's.
bool classicwindow()
{
    const HWND window = GetConsoleWindow();
    wchar_t name[32] = L"";
    return window != nullptr && IsWindowVisible(window) != 0 && GetClassNameW(window, name, 32) > 0 &&
           std::wcscmp(name, L"PseudoConsoleWindow") != 0;
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

// UTF-16 as UTF-8; "" where it cannot be converted.
std::string toutf8(const std::wstring &wide)
{
    const int size = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    if (bytes <= 0 || WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr) == 0)
        return "";
    return utf8;
}

// What a call that fills a buffer of size characters gives, as
// GetCurrentDirectoryW does: the length, or the size it needs; "" on failure.
template <typename call>
std::wstring filled(call get)
{
    const DWORD size = get(0, nullptr); // with the terminating null
    std::wstring text(size, L'\0');
    const DWORD length = size == 0 ? 0 : get(size, text.data());
    if (length == 0 || length >= size)
        return L"";
    text.resize(length);
    return text;
}

// The path without 8.3 short names, as Explorer writes it; without its
// trailing backslash.
std::wstring longpath(const std::wstring &path)
{
    std::wstring full = filled([&](DWORD size, wchar_t *to) { return GetLongPathNameW(path.c_str(), to, size); });
    if (full.empty())
        full = path;
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    return full;
}

// The arguments after the program's name, read as UTF-16. shell32, which
// splits them, is loaded only here: as an import it would slow every start.
std::vector<std::string> arguments()
{
    using splitter = decltype(&CommandLineToArgvW); // its type only: nothing links to shell32
    const HMODULE shell = LoadLibraryW(L"shell32.dll");
    const FARPROC found = shell != nullptr ? GetProcAddress(shell, "CommandLineToArgvW") : nullptr;
    // Through a pointer to a function of no parameters, as GetProcAddress's own type is.
    const auto split = reinterpret_cast<splitter>(reinterpret_cast<void (*)()>(found));
    std::vector<std::string> utf8;
    int count = 0;
    if (wchar_t **args = split != nullptr ? split(GetCommandLineW(), &count) : nullptr) {
        for (int i = 1; i < count; ++i)
            utf8.push_back(toutf8(args[i]));
        (void)LocalFree(static_cast<HLOCAL>(args));
    }
    return utf8;
}

// The running program's file, such as C:\\Users\\me\\wavestars\\wavestars.exe.
std::wstring modulepath()
{
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length > 0 && length < size) {
            path.resize(length);
            return path;
        }
        if (length == 0 || size >= 32768) // no path is longer
            return L"";
    }
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

void waitabout(std::chrono::nanoseconds left)
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

textencoding stdoutencoding()
{
    return isconsole(STD_OUTPUT_HANDLE) ? textencoding::console : textencoding::gbk;
}

bool writeconsole(const std::string &utf8)
{
    return writeconsoleto(STD_OUTPUT_HANDLE, utf8);
}

whereabouts findwhereabouts(int /*argc*/, const char *const * /*argv*/)
{
    whereabouts where;
    where.windows = true;
    where.owned = ownsconsole();
    where.currentfolder = toutf8(filled([](DWORD size, wchar_t *to) { return GetCurrentDirectoryW(size, to); }));
    where.tempfolder = toutf8(longpath(filled([](DWORD size, wchar_t *to) { return GetTempPathW(size, to); })));
    const std::wstring program = modulepath();
    where.programpath = toutf8(program);
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    const DWORD sample =
        folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW((folder + L"Alarm02.wav").c_str());
    if (sample != INVALID_FILE_ATTRIBUTES && (sample & FILE_ATTRIBUTE_DIRECTORY) == 0)
        where.samplefolder = toutf8(folder.substr(0, folder.size() - 1)); // beside the program, as the zip has it
    where.arguments = arguments();
    return where;
}

screeninfo stdoutscreen()
{
    screeninfo screen;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0)
        return screen;
    screen.columns = info.dwSize.X;
    screen.wrapmargin = 1;
    screen.owned = ownsconsole();
    screen.classic = classicwindow();
    return screen;
}

bool widenconsole(std::int64_t columns)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (columns > SHRT_MAX || GetConsoleScreenBufferInfo(out, &info) == 0)
        return false;
    const auto width = static_cast<SHORT>(columns);
    if (info.dwSize.X < width && SetConsoleScreenBufferSize(out, COORD{width, info.dwSize.Y}) == 0)
        return false;
    // The window may stay narrower than the buffer, with a scroll bar, where
    // the display is too small; the rows still do not wrap.
    const SHORT shown = std::min(width, GetLargestConsoleWindowSize(out).X);
    if (shown > info.srWindow.Right - info.srWindow.Left + 1) {
        const SMALL_RECT window = {0, info.srWindow.Top, static_cast<SHORT>(shown - 1), info.srWindow.Bottom};
        (void)SetConsoleWindowInfo(out, TRUE, &window);
    }
    return GetConsoleScreenBufferInfo(out, &info) != 0 && info.dwSize.X >= width;
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
