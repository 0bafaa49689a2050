// WAVE files laid out as common tools write them: standard output stays the
// plain fixed-offset reading, and standard error says where the samples
// really are, or what they are when the plot cannot follow them.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"
#include "wavelayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <streambuf>

namespace {

const std::string warning = "wavestars: warning: ./Alarm02.wav: ";
const std::string rowsfrom44 = "; the rows are read from byte 44 all the same, and the values at fixed offsets may "
                               "not mean what their labels say\n";
const std::string notfollowed = ", but each row reads two bytes as one signed 16-bit sample, so the plot does not "
                                "follow this file's waveform\n";

// Samples of every row shape, 400 bytes apart.
const std::string data = spacedsamples({-32768, -16384, -16383, -328, 0, 328, 32767}, 2800);

std::string le32(std::uint32_t value)
{
    std::string bytes;
    putle(bytes, value, 4);
    return bytes;
}

std::string emptychunks(int count)
{
    std::string chunks;
    for (int i = 0; i < count; ++i)
        chunks += chunk("JUNK", "");
    return chunks;
}

struct kind {
    const char *name;
    std::string file;
    std::string err; // all of standard error
};

void PrintTo(const kind &k, std::ostream *os)
{
    *os << k.name;
}

// An RF64 file whose data chunk states its size, 2800, although its ds64
// chunk holds another: the ds64 size stands only for a size field of
// 0xFFFFFFFF.
std::string rf64withdatasize(const std::string &samples)
{
    std::string file = rf64(samples);
    const std::size_t ds64data = 12 + 8 + 8;       // RIFF header, ds64 header, ds64's RIFF size
    const std::size_t datasize = 12 + 36 + 24 + 4; // past RIFF, ds64 and fmt chunks and "data"
    file.replace(ds64data, 4, le32(1000));
    file.replace(datasize, 4, le32(static_cast<std::uint32_t>(samples.size())));
    return file;
}

std::vector<kind> kinds()
{
    const std::string fmt = fmtchunk({});
    const std::string list = chunk("LIST", "INFOISFT");
    // The walk reads at most 1000 chunk headers, fmt's included: with 998
    // empty chunks the data chunk's is the 1000th, with 999 the 1001st.
    const std::string lastreadable = riff(fmt + emptychunks(998) + chunk("data", data));
    const std::string onetoomany = riff(fmt + emptychunks(999) + chunk("data", data));
    return {
        {"canonical16bit", makewave(data), ""},
        {"listbeforedata", riff(fmt + list + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 60" +
             rowsfrom44},
        // 9 bytes and a pad byte: INFO strings of odd length are common.
        {"oddlistbeforedata", riff(fmt + chunk("LIST", "INFOISFTx") + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 62" +
             rowsfrom44},
        {"258channels", riff(fmtchunk({258, 44100, 16}) + list + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 258 channels, 2800 bytes from byte 60" +
             rowsfrom44},
        {"nofmtchunk", riff(list + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 12-15 hold \"LIST\", expected \"fmt \"); its samples are of "
             "no stated format (no fmt chunk found), 2800 bytes from byte 36" +
             rowsfrom44},
        {"junkbeforefmt", riff(chunk("JUNK", std::string(28, '\0')) + fmt + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 12-15 hold \"JUNK\", expected \"fmt \"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 80" +
             rowsfrom44},
        {"floatwithfact", riff(fmtchunk({1, 44100, 32, 3}, 2) + chunk("fact", le32(700)) + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"\\x00\\x00fa\", expected \"data\"); its "
             "samples are 32-bit float, 1 channel, 2800 bytes from byte 58" +
             rowsfrom44},
        {"extensiblepcm", riff(extensiblefmt({6, 48000, 24, 1}) + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"\\x16\\x00\\x18\\x00\", expected \"data\"); "
             "its samples are 24-bit PCM, 6 channels, 2800 bytes from byte 68" +
             rowsfrom44},
        {"extensiblefloat", riff(extensiblefmt({2, 44100, 32, 3}) + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"\\x16\\x00 \\x00\", expected \"data\"); its "
             "samples are 32-bit float, 2 channels, 2800 bytes from byte 68" +
             rowsfrom44},
        {"rf64", rf64(data),
         warning +
             "not the canonical 44-byte WAVE header (bytes 0-3 hold \"RF64\", expected \"RIFF\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 80" +
             rowsfrom44},
        {"bw64", rf64(data).replace(0, 4, "BW64"),
         warning +
             "not the canonical 44-byte WAVE header (bytes 0-3 hold \"BW64\", expected \"RIFF\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 80" +
             rowsfrom44},
        {"rf64withdatasize", rf64withdatasize(data),
         warning +
             "not the canonical 44-byte WAVE header (bytes 0-3 hold \"RF64\", expected \"RIFF\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 80" +
             rowsfrom44},
        {"bextbeforedata", riff(fmt + chunk("bext", std::string(602, '\0')) + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"bext\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 654" +
             rowsfrom44},
        {"nodatachunk", riff(fmt + list),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, but there is no data chunk before the end of the file" +
             rowsfrom44},
        {"chunkpasttheend", riff(fmt + "LIST" + le32(100000) + "INFOISFT" + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, but there is no data chunk before the chunk at byte 36, which runs past the end "
             "of the file" +
             rowsfrom44},
        {"datachunkisthe1000th", lastreadable,
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"JUNK\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 8028" +
             rowsfrom44},
        {"datachunkisthe1001st", onetoomany,
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"JUNK\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, but there is no data chunk in the first 1000 chunks" +
             rowsfrom44},
        {"manyemptychunks", riff(fmt + emptychunks(1200) + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"JUNK\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, but there is no data chunk in the first 1000 chunks" +
             rowsfrom44},
        // The size at byte 40 is no data size here, so there is no second line.
        {"datachunkcutshort", riff(fmt + list + "data" + le32(4000) + data),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 60 (its data chunk claims 4000; the file ends sooner)" +
             rowsfrom44},
        {"notwave", riff(fmt + chunk("data", data)).replace(8, 4, "AVI "),
         warning +
             "not the canonical 44-byte WAVE header (bytes 8-11 hold \"AVI \", expected \"WAVE\"); it is not a RIFF "
             "WAVE file, so where its samples lie is unknown" +
             rowsfrom44},
        {"canonical8bit", makewave(data, {1, 8000, 8}), warning + "the samples are 8-bit unsigned PCM" + notfollowed},
        {"canonical24bit", makewave(data, {6, 48000, 24}), warning + "the samples are 24-bit PCM" + notfollowed},
        {"canonicalfloat", makewave(data, {2, 44100, 32, 3}), warning + "the samples are 32-bit float" + notfollowed},
        {"canonicalalaw", makewave(data, {1, 8000, 8, 6}), warning + "the samples are 8-bit A-law" + notfollowed},
        {"canonicalothertag", makewave(data, {1, 8000, 4, 0x0092}),
         warning + "the samples are 4-bit format tag 0x0092" + notfollowed},
        // Both lines: the size at byte 40 of a canonical header is a data size.
        {"canonical8bitcutshort", withdatasize(makewave(data, {1, 8000, 8}), 4000),
         warning + "the samples are 8-bit unsigned PCM" + notfollowed + warning +
             "the header claims 4000 data bytes, the file holds 2800 after byte 44; plotting those\n"},
    };
}

class headerkind : public testing::TestWithParam<kind> {};

TEST_P(headerkind, plotsthefixedoffsetsandsayswherethesamplesare)
{
    const tempdir dir;
    dir.writewave(GetParam().file);
    const outcome run = runprogram(dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected::output(GetParam().file) + expected::prompt);
    EXPECT_EQ(run.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(layouts, headerkind, testing::ValuesIn(kinds()),
                         [](const auto &param) { return std::string(param.param.name); });

struct formatcase {
    const char *name;
    std::string fmt; // a whole fmt chunk
    std::string words;
};

void PrintTo(const formatcase &c, std::ostream *os)
{
    *os << c.name;
}

// The chunk with its body cut to size bytes, the size field to match.
std::string cutfmt(const std::string &fmt, std::size_t size)
{
    return chunk("fmt ", fmt.substr(8, size));
}

// A 40-byte fmt chunk of tag 1 whose byte 24 would name a float subformat,
// were the chunk taken for an extensible one.
std::string longpcmfmt()
{
    std::string fmt = fmtchunk({2, 44100, 16}, 24);
    fmt[8 + 24] = '\x03';
    return fmt;
}

std::vector<formatcase> formatcases()
{
    return {
        {"pcm", fmtchunk({2, 44100, 16}), "16-bit PCM"},
        {"pcm8bit", fmtchunk({1, 8000, 8}), "8-bit unsigned PCM"},
        {"msadpcm", fmtchunk({1, 22050, 4, 2}), "4-bit MS ADPCM"},
        {"float", fmtchunk({2, 44100, 32, 3}), "32-bit float"},
        {"alaw", fmtchunk({1, 8000, 8, 6}), "8-bit A-law"},
        {"mulaw", fmtchunk({1, 8000, 8, 7}), "8-bit mu-law"},
        {"imaadpcm", fmtchunk({1, 22050, 4, 0x11}), "4-bit IMA ADPCM"},
        // GSM and MP3 files state 0 bits a sample: no "0-bit".
        {"gsm610", fmtchunk({1, 8000, 0, 0x31}), "GSM 6.10"},
        {"mp3", fmtchunk({2, 44100, 0, 0x55}), "MPEG Layer 3"},
        {"unknowntag", fmtchunk({1, 8000, 4, 0x0092}), "4-bit format tag 0x0092"},
        {"unknowntagnobits", fmtchunk({1, 8000, 0, 0xABCD}), "format tag 0xABCD"},
        {"extensiblemulaw", extensiblefmt({2, 8000, 8, 7}), "8-bit mu-law"},
        {"extensiblecutshort", cutfmt(extensiblefmt({6, 48000, 24, 3}), 30), "24-bit format tag 0xFFFE"},
        {"fortybytepcm", longpcmfmt(), "16-bit PCM"},
    };
}

class sampleformats : public testing::TestWithParam<formatcase> {};

TEST_P(sampleformats, nameswhatthefmtchunkstates)
{
    const std::string file = riff(GetParam().fmt + chunk("data", data));
    std::istringstream in(file, std::ios::in | std::ios::binary);
    const wavelayout layout = walkchunks(in, file.size());
    ASSERT_TRUE(layout.format.found);
    EXPECT_EQ(formatname(layout.format), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(formatname, sampleformats, testing::ValuesIn(formatcases()),
                         [](const auto &param) { return std::string(param.param.name); });

// Hands out the bytes of a string and counts them, to bound what a reader
// takes.
class countingbuf : public std::streambuf {
  public:
    explicit countingbuf(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t handedout = 0;

  protected:
    int_type underflow() override
    {
        return pos_ < bytes_.size() ? traits_type::to_int_type(bytes_[pos_]) : traits_type::eof();
    }
    int_type uflow() override
    {
        const int_type c = underflow();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            ++pos_;
            ++handedout;
        }
        return c;
    }
    std::streamsize xsgetn(char *s, std::streamsize n) override
    {
        const std::size_t count = std::min(static_cast<std::size_t>(n), bytes_.size() - pos_);
        bytes_.copy(s, count, pos_);
        pos_ += count;
        handedout += count;
        return static_cast<std::streamsize>(count);
    }
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode /*which*/) override
    {
        const off_type base = dir == std::ios::beg   ? 0
                              : dir == std::ios::cur ? static_cast<off_type>(pos_)
                                                     : static_cast<off_type>(bytes_.size());
        if (base + off < 0 || base + off > static_cast<off_type>(bytes_.size()))
            return pos_type(off_type(-1));
        pos_ = static_cast<std::size_t>(base + off);
        return pos_type(base + off);
    }
    pos_type seekpos(pos_type pos, std::ios::openmode which) override
    {
        return seekoff(off_type(pos), std::ios::beg, which);
    }

  private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

// A huge fmt or ds64 chunk must not be read whole: a large file's would
// take gigabytes of memory.
TEST(walkchunks, readsonlytheheadersandthefieldsitneeds)
{
    const std::size_t huge = 1 << 20;
    const std::string file = riff(chunk("ds64", std::string(huge, '\0')) + fmtchunk({}, huge) + chunk("data", data));
    countingbuf buf(file);
    std::istream in(&buf);
    const wavelayout layout = walkchunks(in, file.size());
    EXPECT_TRUE(layout.data.found);
    EXPECT_EQ(layout.data.offset, file.size() - data.size());
    const std::uint64_t headers = 3 * std::uint64_t{8}; // ds64, fmt and data
    EXPECT_LE(buf.handedout, headers + 40 + 16);
}

// Whatever the sizes claim, the walk stays inside the file and ends.
TEST(walkchunks, neverreadspasttheend)
{
    const std::string file = riff(fmtchunk({}) + chunk("LIST", "INFOISFT") + chunk("data", data));
    for (std::size_t length = 0; length <= file.size(); ++length) {
        SCOPED_TRACE(length);
        std::istringstream in(file.substr(0, length), std::ios::in | std::ios::binary);
        const wavelayout layout = walkchunks(in, length);
        EXPECT_LE(layout.data.offset + layout.data.size, length);
        EXPECT_EQ(layout.data.found, length >= 60);
        EXPECT_EQ(layout.format.found, length >= 20);
    }
}

} // namespace
