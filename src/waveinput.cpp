#include "waveinput.h"

#include "messages.h"

#include <algorithm>

namespace {

constexpr std::streamoff riffoffset = 0;
constexpr std::streamoff waveoffset = 8;
constexpr std::streamoff fmtoffset = 12;
constexpr std::streamoff fmtsizeoffset = 16;
constexpr std::streamoff channelsoffset = 22;
constexpr std::streamoff samplerateoffset = 24;
constexpr std::streamoff byterateoffset = 28;
constexpr std::streamoff bitsoffset = 34;
constexpr std::streamoff dataoffset = 36;
constexpr std::streamoff datasizeoffset = 40;
constexpr std::uint32_t canonicalfmtsize = 16;

// Reads width bytes at offset as an unsigned little-endian number; bytes
// past the end of the stream read as 0.
std::uint32_t readle(std::istream &in, std::streamoff offset, int width)
{
    return static_cast<std::uint32_t>(
        littleendian(readat(in, static_cast<std::uint64_t>(offset), static_cast<std::size_t>(width)), 0, width));
}

std::string readtag(std::istream &in, std::streamoff offset)
{
    std::string tag = readat(in, static_cast<std::uint64_t>(offset), 4);
    tag.resize(4, '\0');
    return tag;
}

// Shows a tag as text, with bytes that are not printable ASCII as \xNN.
std::string showtag(const std::string &tag)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char ch : tag) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            shown += "\\x";
            shown += hex[c >> 4];
            shown += hex[c & 0xf];
        }
    }
    return shown;
}

} // namespace

std::string readat(std::istream &in, std::uint64_t offset, std::size_t count)
{
    std::string bytes(count, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

std::uint64_t littleendian(const std::string &bytes, std::size_t at, int width)
{
    std::uint64_t value = 0;
    for (std::size_t i = at + static_cast<std::size_t>(width); i-- > at;)
        value = value << 8 | (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0U);
    return value;
}

std::uint64_t streamlength(std::istream &in)
{
    in.clear();
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

waveinfo readwaveinfo(std::istream &in)
{
    waveinfo info;
    info.filesize = static_cast<std::uint32_t>(streamlength(in));
    info.channels = static_cast<std::uint16_t>(readle(in, channelsoffset, 2));
    info.samplerate = readle(in, samplerateoffset, 4);
    info.byterate = readle(in, byterateoffset, 4);
    info.bitspersample = static_cast<std::uint16_t>(readle(in, bitsoffset, 2));
    info.datasize = readle(in, datasizeoffset, 4);
    return info;
}

std::vector<unsigned char> readwavedata(std::istream &in, std::uint32_t datasize)
{
    const std::uint64_t length = streamlength(in);
    const std::uint64_t present = length > headersize ? length - headersize : 0;
    std::vector<unsigned char> block(std::min<std::uint64_t>(datasize, present));
    in.clear();
    in.seekg(static_cast<std::streamoff>(headersize));
    in.read(reinterpret_cast<char *>(block.data()), static_cast<std::streamsize>(block.size()));
    block.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return block;
}

std::string headerfault(std::istream &in)
{
    static const struct {
        std::streamoff offset;
        const char *tag;
    } tags[] = {{riffoffset, "RIFF"}, {waveoffset, "WAVE"}, {fmtoffset, "fmt "}, {dataoffset, "data"}};
    for (const auto &t : tags) {
        const std::string found = readtag(in, t.offset);
        if (found != t.tag)
            return say(msg::tagfault, {std::to_string(t.offset), std::to_string(t.offset + 3), showtag(found), t.tag});
    }
    const std::uint32_t fmtsize = readle(in, fmtsizeoffset, 4);
    if (fmtsize != canonicalfmtsize)
        return say(msg::fmtsizefault, {std::to_string(fmtsize), std::to_string(canonicalfmtsize)});
    return "";
}

std::int32_t readsample(const std::vector<unsigned char> &block, std::uint64_t pos)
{
    const std::uint32_t lo = block.at(pos);
    const std::uint32_t hi = pos + 1 < block.size() ? block[pos + 1] : 0;
    const std::int32_t raw = static_cast<std::int32_t>(hi << 8 | lo);
    return (hi >> 7) != 0 ? raw - 65536 : raw;
}
