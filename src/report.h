#pragma once

#include "platform.h"
#include "waveinput.h"

#include <chrono>
#include <cstdint>
#include <ostream>
#include <vector>

constexpr std::uint64_t samplestride = 400; // bytes from one plotted sample to the next
constexpr std::chrono::milliseconds rowdelay{5};

// A sample as a percentage of full scale, -100 up to but not including 100.
double barvalue(std::int32_t sample);

// Draws one row for the sample at every multiple of samplestride in the
// block, pausing delay after each, and gives the number of rows drawn.
// Stops early if out fails, since nobody sees the rest.
std::int32_t plotwave(const std::vector<unsigned char> &block, std::ostream &out,
                      std::chrono::milliseconds delay = rowdelay);

// The widest row, in columns, that plotwave draws for block; 0 for none.
std::int64_t widestrow(const std::vector<unsigned char> &block);

// The columns a screen must have to show a row of width columns whole.
std::int64_t columnsneeded(const screeninfo &screen, std::int64_t width);

enum class fitting {
    fits,    // every row fits, or the width is unknown: nothing to do
    widened, // a console the program owns was made wide enough
    warn,    // rows will wrap: say so after the plot
};

// Decides, before the first row, what a plot whose rows need needed
// columns does on screen. Only a console window that the program owns is
// widened, by calling widen with needed; a shared one is the shell's, and
// in a terminal a wider buffer would not show.
fitting fitscreen(const screeninfo &screen, std::int64_t needed, bool (*widen)(std::int64_t columns));

// The seven labelled lines: header values, then rowcount.
void printsummary(const waveinfo &info, std::int32_t rowcount, std::ostream &out, textencoding encoding);

// Explains the numbers in the plot and asks for a value; no line end, so
// the user types on the same line.
void printprompt(std::ostream &out, textencoding encoding);
