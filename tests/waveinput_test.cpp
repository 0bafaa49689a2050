#include "waveinput.h"

#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::istringstream stream(const std::string &bytes)
{
    return std::istringstream(bytes, std::ios::in | std::ios::binary);
}

// 44 bytes of 0xEE with each field set to a value whose bytes differ, so a
// wrong offset, width or byte order shows.
std::string markedheader()
{
    std::string header(44, '\xEE');
    auto put = [&](std::size_t offset, std::uint32_t value, int width) {
        std::string bytes;
        putle(bytes, value, width);
        header.replace(offset, bytes.size(), bytes);
    };
    put(22, 0x0102, 2);
    put(24, 0x0A0B0C0D, 4);
    put(28, 0xFFFFFFFE, 4);
    put(34, 0xFFFF, 2);
    put(40, 0x00000190, 4);
    return header;
}

TEST(readwaveinfo, readsfixedoffsetslittleendianunsigned)
{
    auto in = stream(markedheader() + "tail");
    const waveinfo info = readwaveinfo(in);
    EXPECT_EQ(info.filesize, 48u);
    EXPECT_EQ(info.channels, 0x0102u);
    EXPECT_EQ(info.samplerate, 0x0A0B0C0Du);
    EXPECT_EQ(info.byterate, 0xFFFFFFFEu);
    EXPECT_EQ(info.bitspersample, 0xFFFFu);
    EXPECT_EQ(info.datasize, 0x190u);
}

TEST(readwaveinfo, canonicalfilematchesitsheader)
{
    auto in = stream(makewave(std::string(1000, '\1'), {1, 22050, 8}));
    const waveinfo info = readwaveinfo(in);
    EXPECT_EQ(info.filesize, 1044u);
    EXPECT_EQ(info.channels, 1u);
    EXPECT_EQ(info.samplerate, 22050u);
    EXPECT_EQ(info.byterate, 22050u);
    EXPECT_EQ(info.bitspersample, 8u);
    EXPECT_EQ(info.datasize, 1000u);
}

// With a longer fmt chunk the "data" chunk moves, but the values are still
// taken at the fixed offsets, whatever lies there.
TEST(readwaveinfo, extrachunkfileisreadatthesameoffsets)
{
    const std::string file = riff(fmtchunk({2, 44100, 16}, 2) + chunk("data", std::string(8, '\x11')));
    auto in = stream(file);
    const waveinfo info = readwaveinfo(in);
    EXPECT_EQ(info.datasize, 0x00086174u); // "ta" and the low half of the real size
    const std::vector<unsigned char> block = readwavedata(in, info.datasize);
    EXPECT_EQ(std::string(block.begin(), block.end()), file.substr(44));
}

TEST(readwaveinfo, fieldspasttheendreadaszero)
{
    auto in = stream(markedheader().substr(0, 30));
    const waveinfo info = readwaveinfo(in);
    EXPECT_EQ(info.filesize, 30u);
    EXPECT_EQ(info.channels, 0x0102u);
    EXPECT_EQ(info.samplerate, 0x0A0B0C0Du);
    EXPECT_EQ(info.byterate, 0x0000FFFEu);
    EXPECT_EQ(info.bitspersample, 0u);
    EXPECT_EQ(info.datasize, 0u);
}

struct blockcase {
    std::uint32_t datasize;
    std::size_t present; // bytes after the header
    std::size_t expected;
};

class blocksize : public testing::TestWithParam<blockcase> {};

TEST_P(blocksize, neverholdsmorethanthefile)
{
    const blockcase c = GetParam();
    std::string data(c.present, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    auto in = stream(withdatasize(makewave(data), c.datasize));
    const std::vector<unsigned char> block = readwavedata(in, c.datasize);
    ASSERT_EQ(block.size(), c.expected);
    EXPECT_EQ(std::string(block.begin(), block.end()), data.substr(0, c.expected));
}

INSTANTIATE_TEST_SUITE_P(claimsagainstbytes, blocksize,
                         testing::Values(blockcase{0, 0, 0}, blockcase{0, 10, 0}, blockcase{800, 800, 800},
                                         blockcase{800, 1000, 800}, blockcase{4000, 1000, 1000},
                                         blockcase{0xFFFFFFFF, 12, 12}, blockcase{10, 0, 0}));

TEST(streamlength, countsthewholestream)
{
    auto in = stream(std::string(123, 'x'));
    in.seekg(0, std::ios::end);
    in.get(); // leaves the stream failed; the length must still be found
    EXPECT_EQ(streamlength(in), 123u);
}

struct faultcase {
    std::size_t offset;
    std::string bytes;
    std::string says; // empty: canonical
};

class header : public testing::TestWithParam<faultcase> {};

TEST_P(header, namesthefirstdeparturefromthecanonicallayout)
{
    std::string file = makewave(std::string(40, '\0'));
    file.replace(GetParam().offset, GetParam().bytes.size(), GetParam().bytes);
    auto in = stream(file);
    EXPECT_EQ(headerfault(in), GetParam().says);
}

INSTANTIATE_TEST_SUITE_P(
    tagsandfmtsize, header,
    testing::Values(faultcase{0, "RIFF", ""}, faultcase{0, "RIFX", "bytes 0-3 hold \"RIFX\", expected \"RIFF\""},
                    faultcase{8, "AVI ", "bytes 8-11 hold \"AVI \", expected \"WAVE\""},
                    faultcase{12, "bext", "bytes 12-15 hold \"bext\", expected \"fmt \""},
                    faultcase{36, "LIST", "bytes 36-39 hold \"LIST\", expected \"data\""},
                    faultcase{36, std::string("\0\x01\"\xff", 4),
                              "bytes 36-39 hold \"\\x00\\x01\\x22\\xFF\", expected \"data\""},
                    // the edges of the printable range
                    faultcase{36, "\x1f~\x7f ", "bytes 36-39 hold \"\\x1F~\\x7F \", expected \"data\""},
                    faultcase{16, std::string("\x12\0\0\0", 4), "the fmt chunk is 18 bytes, expected 16"},
                    faultcase{16, std::string("\x10\0\0\x01", 4), "the fmt chunk is 16777232 bytes, expected 16"}));

TEST(headerfault, shortfileisnotcanonical)
{
    auto in = stream("RIFF");
    EXPECT_EQ(headerfault(in), "bytes 8-11 hold \"\\x00\\x00\\x00\\x00\", expected \"WAVE\"");
}

struct samplecase {
    std::string bytes;
    std::int32_t sample;
};

class sample : public testing::TestWithParam<samplecase> {};

TEST_P(sample, decodessigned16bitlittleendian)
{
    const std::string &b = GetParam().bytes;
    const std::vector<unsigned char> block(b.begin(), b.end());
    EXPECT_EQ(readsample(block, 0), GetParam().sample);
}

INSTANTIATE_TEST_SUITE_P(boundaries, sample,
                         testing::Values(samplecase{std::string("\x00\x80", 2), -32768}, samplecase{"\xFF\x7F", 32767},
                                         samplecase{std::string("\x00\xC0", 2), -16384}, samplecase{"\x01\xC0", -16383},
                                         samplecase{"\x48\x01", 328}, samplecase{"\x47\x01", 327},
                                         samplecase{"\xB9\xFE", -327}, samplecase{"\xB8\xFE", -328},
                                         samplecase{"\xFF\xFF", -1}, samplecase{std::string("\0\0", 2), 0},
                                         // the last byte of a block: its missing partner counts as 0
                                         samplecase{"\xFF", 255}, samplecase{"\x80", 128}));

TEST(readsample, readsatitsposition)
{
    const std::vector<unsigned char> block = {1, 2, 3, 0x34, 0x12};
    EXPECT_EQ(readsample(block, 3), 0x1234);
    EXPECT_EQ(readsample(block, 4), 0x12);
}

} // namespace
