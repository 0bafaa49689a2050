// Any bytes as the input file: read, plot and summarise them as the program
// does, and check that the output is rows of the four shapes, then the
// seven summary lines, then the prompt, with the rows counted right. The
// chunk walk behind the warnings runs too: it must end, read at most its
// bound of chunk headers and never seek or read past the end.

#include "expected.h"
#include "report.h"
#include "rowcheck.h"
#include "waveinput.h"
#include "wavelayout.h"

#include <sstream>
#include <streambuf>
#include <utility>

namespace {

// The file's bytes, noting any seek or read that reaches past their end.
class watchedbuf : public std::streambuf {
  public:
    explicit watchedbuf(std::string bytes) : bytes_(std::move(bytes))
    {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }
    bool strayed = false;
    int reads = 0;

  protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::cur ? gptr() - eback()
                                                          : static_cast<off_type>(bytes_.size());
        return seekpos(base + off, which);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode /*which*/) override
    {
        const off_type at = pos;
        if (at < 0 || at > static_cast<off_type>(bytes_.size())) {
            strayed = true;
            return {off_type(-1)};
        }
        setg(eback(), eback() + at, egptr());
        return pos;
    }
    std::streamsize xsgetn(char *s, std::streamsize n) override
    {
        ++reads;
        if (n > egptr() - gptr())
            strayed = true;
        return std::streambuf::xsgetn(s, n);
    }

  private:
    std::string bytes_;
};

void checkwalk(const std::string &bytes)
{
    watchedbuf buffer(bytes);
    std::istream in(&buffer);
    const wavelayout layout = walkchunks(in, bytes.size());
    require(!buffer.strayed, "the walk stays inside the file");
    require(buffer.reads <= 3 * maxchunks, "the walk reads at most a few things a chunk");
    require(!layout.data.found || layout.data.offset + layout.data.size <= bytes.size(), "the data lies in the file");
    require(layout.data.found != !layout.stop.empty(), "a walk either finds data or says why not");
    if (bytes.size() < headersize)
        return; // the program stops before any warning
    (void)layoutwarning(in, bytes.size(), "a fault");
    (void)formatwarning(in);
    require(!buffer.strayed, "the warnings stay inside the file");
}

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
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    checkwalk(bytes);
    watchedbuf buffer(bytes);
    std::istream in(&buffer);
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
    require(!buffer.strayed, "reading stays inside the file");
    return 0;
}
