// The sample sound that the demo draws and every package carries: the
// program draws it exactly and quietly, it shows every kind of row, and
// its widest row fits a new 120-column Windows console.

#include "expected.h"
#include "runprogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

// The plot's rows: standard output up to the first label.
std::vector<std::string> plotrows(const std::string &out)
{
    std::vector<std::string> rows;
    std::istringstream lines(out.substr(0, out.find(expected::labels[0])));
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    return rows;
}

TEST(sample, drawsexactlywithnomessageandfitsanewwindow)
{
    const std::string file = readfile(samplefolder() + "/Alarm02.wav");
    ASSERT_GT(file.size(), 44u) << "no sample in " << samplefolder();
    const outcome run = runprogram(samplefolder(), "0\n"); // in the folder, as a user would
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected::output(file) + expected::prompt);

    const std::vector<std::string> rows = plotrows(run.out);
    std::size_t widest = 0;
    for (const std::string &row : rows)
        widest = std::max(widest, row.size());
    // A Windows console needs a column beyond the row for its line end.
    EXPECT_LE(widest + 1, 120u) << "a new Windows console would wrap the widest row";

    const auto any = [&](auto shape) { return std::any_of(rows.begin(), rows.end(), shape); };
    EXPECT_TRUE(any([](const std::string &r) { return r == expected::axis().substr(0, 51); })) << "no axis mark";
    EXPECT_TRUE(any([](const std::string &r) { return r.size() > 51 && r[51] == '*'; })) << "no bar to the right";
    EXPECT_TRUE(any([](const std::string &r) { return r.size() == 50 && r[49] == '*'; })) << "no bar to the left";
    EXPECT_TRUE(any([](const std::string &r) {
        return r.size() > 1 && r[0] == '-' && r.find_first_not_of("0123456789", 1) == std::string::npos;
    })) << "no number row";
}

} // namespace
