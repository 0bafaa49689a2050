// Any bytes as the input file: read, plot and summarise them as the program
// does, and check that the output is rows of the four shapes, then the
// seven summary lines, then the prompt, with the rows counted right.

#include "expected.h"
#include "report.h"
#include "rowcheck.h"
#include "waveinput.h"

#include <sstream>

namespace {

void checkoutput(const std::string &text, const waveinfo &info, std::int32_t rows, std::size_t blocksize)
{
    std::istringstream lines(text);
    std::string line;
    for (std::int32_t k = 0; k < rows; ++k) {
        require(static_cast<bool>(std::getline(lines, line)), "a line for every row");
        const std::optional<std::int64_t> n = rowvalue(runsof(line));
        require(n.has_value() && *n >= -100 && *n <= 99, "a row of one of the four shapes, -100 to 99");
    }
    const std::string values[7] = {
        std::to_string(info.filesize), std::to_string(info.channels),      std::to_string(info.samplerate),
        std::to_string(info.byterate), std::to_string(info.bitspersample), std::to_string(info.datasize),
        std::to_string(rows)};
    for (int i = 0; i < 7; ++i) {
        require(static_cast<bool>(std::getline(lines, line)), "seven summary lines");
        require(line == expected::labels[i] + values[i], "a label and its value");
    }
    require(std::getline(lines, line) && line == expected::prompt && lines.eof(), "the prompt, last");
    require(static_cast<std::uint64_t>(rows) == (blocksize + 399) / 400, "one row per started 400 bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size), std::ios::in | std::ios::binary);
    if (streamlength(in) < headersize)
        return 0; // the program stops here with a message
    (void)headerfault(in);
    const waveinfo info = readwaveinfo(in);
    require(info.filesize == size, "filesize is the length");
    const std::vector<unsigned char> block = readwavedata(in, info.datasize);
    require(block.size() == std::min<std::uint64_t>(info.datasize, size - headersize), "the block holds what is there");
    require(std::equal(block.begin(), block.end(), data + headersize), "the block is the bytes from 44 on");

    std::ostringstream out;
    const std::int32_t rows = plotwave(block, out, std::chrono::milliseconds(0));
    printsummary(info, rows, out, textencoding::gbk);
    printprompt(out, textencoding::gbk);
    checkoutput(out.str(), info, rows, block.size());
    return 0;
}
