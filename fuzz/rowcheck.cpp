#include "rowcheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void append(std::vector<run> &runs, char c, std::uint64_t count)
{
    if (!runs.empty() && runs.back().c == c)
        runs.back().count += count;
    else
        runs.push_back({c, count});
}

bool isdigit(char c)
{
    return c >= '0' && c <= '9';
}

// "-" then digits without a leading zero, at most -50 and within 32 bits.
std::optional<std::int64_t> numbervalue(const std::vector<run> &row)
{
    if (row.empty() || row[0].c != '-' || row[0].count != 1 || row.size() < 2 || row[1].c == '0')
        return std::nullopt;
    std::string digits;
    for (std::size_t i = 1; i < row.size(); ++i) {
        if (!isdigit(row[i].c) || digits.size() + row[i].count > 10)
            return std::nullopt;
        digits.append(row[i].count, row[i].c);
    }
    const std::int64_t n = -std::stoll(digits);
    if (n > -50 || n < INT32_MIN)
        return std::nullopt;
    return n;
}

} // namespace

std::vector<run> runsof(const std::string &text)
{
    std::vector<run> runs;
    for (char c : text)
        append(runs, c, 1);
    return runs;
}

runsink::int_type runsink::overflow(int_type ch)
{
    if (!traits_type::eq_int_type(ch, traits_type::eof()))
        append(runs, traits_type::to_char_type(ch), 1);
    return traits_type::not_eof(ch);
}

std::streamsize runsink::xsputn(const char *s, std::streamsize n)
{
    // A block of one repeated character equals itself shifted by one.
    if (n > 0 && std::memcmp(s, s + 1, static_cast<std::size_t>(n - 1)) == 0) {
        append(runs, s[0], static_cast<std::uint64_t>(n));
        return n;
    }
    for (std::streamsize i = 0; i < n; ++i)
        append(runs, s[i], 1);
    return n;
}

std::optional<std::int64_t> rowvalue(const std::vector<run> &row)
{
    if (row.size() == 2 && row[0].c == ' ' && row[1].c == '|' && row[0].count == 50 && row[1].count == 1)
        return 0;
    if (row.size() == 2 && row[0].c == ' ' && row[1].c == '*') {
        const std::uint64_t spaces = row[0].count;
        const std::uint64_t stars = row[1].count;
        if (spaces == 51)
            return static_cast<std::int64_t>(stars);
        if (spaces + stars == 50 && stars <= 49)
            return -static_cast<std::int64_t>(stars);
        return std::nullopt;
    }
    return numbervalue(row);
}

void fail(const char *what)
{
    (void)std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}
