#pragma once

#include <cstdint>
#include <iostream>

// Writes one row of the plot for the bar value x (a sample as a percentage
// of full scale), ends it with a line end and flushes, so the row is on
// screen before the caller pauses.
void printstar2(double x, std::ostream &out = std::cout);

// The columns the row for x takes on screen: the characters printstar2
// writes for it before the line end.
std::int64_t rowwidth(double x);
