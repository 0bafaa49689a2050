#pragma once

// What to tell a user whose start of the program cannot draw what they
// meant: a file named on the command line, which is not read, or no
// ./Alarm02.wav where it started. Each hint, followed, leads to a picture.

#include "platform.h"

#include <string>
#include <vector>

// The lines to write on standard error, in the user's language: for the
// arguments if there are any, else, where missing, for the missing file.
std::vector<std::string> hints(const whereabouts &where, bool missing);

// text as one word for the shell a user of this system types into: a
// POSIX shell, or cmd where windows. Left bare where it needs no quotes.
std::string shellword(const std::string &text, bool windows);
