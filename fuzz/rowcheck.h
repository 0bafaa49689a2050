#pragma once

// Checks rows of the plot by their shape, for the fuzz targets.

#include <cstdint>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

// A stretch of one repeated character.
struct run {
    char c;
    std::uint64_t count;
};

std::vector<run> runsof(const std::string &text);

// Keeps what is written as runs only, so that a row of two billion stars
// costs no memory.
class runsink : public std::streambuf {
  public:
    std::vector<run> runs;

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char *s, std::streamsize n) override;
};

// The bar value that a row (without its line end) shows, or nothing when
// it takes none of the four shapes: the axis mark, stars right of it,
// 1 to 49 stars left of it, or the number itself from -50 down.
std::optional<std::int64_t> rowvalue(const std::vector<run> &row);

// Aborts with the message, so that libFuzzer keeps the input.
[[noreturn]] void fail(const char *what);

inline void require(bool ok, const char *what)
{
    if (!ok)
        fail(what);
}
