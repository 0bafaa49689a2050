// WAVE files laid out as common tools write them: standard output stays the
// plain fixed-offset reading, and standard error says where the samples
// really are, or what they are when the plot cannot follow them.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"
#include "wavelayout.h"

#include <gtest/gtest.h>

#include <sstream>

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

std::vector<kind> kinds()
{
    const std::string fmt = fmtchunk({});
    const std::string list = chunk("LIST", "INFOISFT");
    return {
        {"canonical16bit", makewave(data), ""},
        {"listbeforedata", riff(fmt + list + chunk("data", data)),
         warning +
             "not the canonical 44-byte WAVE header (bytes 36-39 hold \"LIST\", expected \"data\"); its samples are "
             "16-bit PCM, 2 channels, 2800 bytes from byte 60" +
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
