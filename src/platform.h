#pragma once

// Every call into the operating system, behind plain functions: one file
// for each system implements them (platform-posix.cpp, platform-win32.cpp).

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// While one exists, short pauses wake close to their deadline. Create it
// around the plot only: on Windows it may raise the system timer resolution,
// which costs power for as long as it lasts.
class finetimer {
  public:
    finetimer();
    ~finetimer();
    finetimer(const finetimer &) = delete;
    finetimer &operator=(const finetimer &) = delete;

  private:
    bool raised_ = false;
};

// Blocks the calling thread for about left, without spinning. It may wake
// early, so a caller that needs the whole of it checks the clock.
void waitabout(std::chrono::nanoseconds left);

// How the Chinese texts reach standard output.
enum class textencoding {
    gbk,     // the bytes as stored, for files, pipes and GBK consoles
    utf8,    // a terminal that shows UTF-8
    console, // a Windows console, written as UTF-16 whatever its code page
};

textencoding stdoutencoding();

// Writes UTF-8 text to the Windows console behind standard output; only for
// textencoding::console. False if the write failed.
bool writeconsole(const std::string &utf8);

// True when the program is alone on a console that is its standard input
// and standard error, as when it is double-clicked: its window closes as
// soon as it exits, so an error must wait to be read.
bool ownsconsole();

// What the program knows of where it is, for the hints that lead a user to
// a picture. Folders and names are UTF-8 (on Windows read as UTF-16, so
// that a name in any script comes out whole); "" where unknown.
struct whereabouts {
    std::string currentfolder;
    std::string programpath;            // the running program's own file
    std::string typedname;              // the name a shell found it by on PATH, such as "wavestars"; else ""
    std::string samplefolder;           // holds the Alarm02.wav that came with the program; "" where none is there
    std::string tempfolder;             // Windows: where Explorer copies a program run from inside a zip
    std::vector<std::string> arguments; // after the program's name
    bool owned = false;                 // ownsconsole()
    bool windows = false;               // cmd's commands and paths, not a POSIX shell's
};

// argv is main's: POSIX takes the arguments from it, Windows from
// GetCommandLineW.
whereabouts findwhereabouts(int argc, const char *const *argv);

// The terminal or console that standard output shows.
struct screeninfo {
    std::int64_t columns = 0; // its width; 0 where unknown, or for a pipe or a file
    // Columns a row takes beyond its characters: a Windows console moves to
    // the next line on writing its last column, so the line end that
    // follows a row as wide as the screen leaves an empty line.
    std::int64_t wrapmargin = 0;
    bool owned = false;   // the program is alone on it (ownsconsole)
    bool classic = false; // a console window, which shows a wider buffer
};

screeninfo stdoutscreen();

// Makes the console behind standard output at least columns wide, keeping
// its height, and its window as wide as the display allows up to that.
// Never narrows either. True if the buffer is then wide enough.
bool widenconsole(std::int64_t columns);

// Names the user's language for messages, such as "zh_CN.UTF-8" (the
// locale of LC_MESSAGES) or "zh-CN" (the Windows UI language); "" where
// that locale is not set up.
std::string messagelocale();

// True when standard error can show every character of the UTF-8 text: in
// a console, or in the character set of the user's locale (the ANSI code
// page on Windows).
bool errorcanshow(const std::string &utf8);

// Writes one line of UTF-8 text, ending in a line end, to standard error in
// a single write, so that another program's output cannot cut into it.
// False if the write failed.
bool writeerror(const std::string &utf8);
