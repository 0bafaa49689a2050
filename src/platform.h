#pragma once

#include <chrono>
#include <string>

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

// Blocks the calling thread until at least delay has passed on the steady
// clock, without spinning.
void pauseatleast(std::chrono::nanoseconds delay);

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
