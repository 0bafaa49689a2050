#include "wavelayout.h"

#include "messages.h"
#include "waveinput.h"

#include <algorithm>

namespace {

constexpr std::uint64_t firstchunk = 12;
constexpr std::size_t chunkheadersize = 8;
constexpr std::size_t fmtread = 40;               // up to and including an extensible subformat's tag
constexpr std::uint64_t unknownsize = 0xFFFFFFFF; // an RF64 size field that defers to ds64

// Offsets in a "fmt " chunk's body.
constexpr std::size_t fmttag = 0;
constexpr std::size_t fmtchannels = 2;
constexpr std::size_t fmtbits = 14;
constexpr std::size_t fmtsubformat = 24;
// Offset of the data size in a "ds64" chunk's body, and the bytes read.
constexpr std::size_t ds64datasize = 8;
constexpr std::size_t ds64read = 16;

// The canonical header's fmt body.
constexpr std::uint64_t canonicalfmt = 20;
constexpr std::size_t canonicalfmtsize = 16;

constexpr std::uint16_t pcm = 1;
constexpr std::uint16_t extensible = 0xFFFE;

sampleformat readfmt(const std::string &body)
{
    sampleformat format;
    format.found = true;
    format.tag = static_cast<std::uint16_t>(littleendian(body, fmttag, 2));
    format.channels = static_cast<std::uint16_t>(littleendian(body, fmtchannels, 2));
    format.bitspersample = static_cast<std::uint16_t>(littleendian(body, fmtbits, 2));
    if (format.tag == extensible && body.size() >= fmtread)
        format.tag = static_cast<std::uint16_t>(littleendian(body, fmtsubformat, 2));
    return format;
}

bool isriffwave(std::istream &in)
{
    const std::string riff = readat(in, 0, 4);
    return (riff == "RIFF" || riff == "RF64" || riff == "BW64") && readat(in, 8, 4) == "WAVE";
}

std::string channels(std::uint64_t count)
{
    return say(count == 1 ? msg::onechannel : msg::channels, {std::to_string(count)});
}

std::string hex4(std::uint16_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += digits[value >> shift & 0xF];
    return text;
}

// What the chunks say of the samples: their format and where they are.
std::string wheresamples(const wavelayout &layout)
{
    std::string where =
        layout.data.found ? say(msg::samplesat, {std::to_string(layout.data.size), std::to_string(layout.data.offset)})
                          : say(msg::samplesbut, {layout.stop});
    if (layout.data.size < layout.data.claimed)
        where = say(msg::endssooner, {where, std::to_string(layout.data.claimed)});
    if (!layout.format.found)
        return say(msg::samplesnoformat, {where});
    return say(msg::samplesformat, {formatname(layout.format), channels(layout.format.channels), where});
}

} // namespace

wavelayout walkchunks(std::istream &in, std::uint64_t length)
{
    wavelayout layout;
    std::uint64_t ds64size = unknownsize;
    std::uint64_t pos = firstchunk;
    std::string stop;
    for (int n = 0;; ++n) {
        if (n == maxchunks) {
            stop = say(msg::nodatainfirst, {std::to_string(maxchunks)});
            break;
        }
        if (length < chunkheadersize || pos > length - chunkheadersize) {
            stop = say(msg::nodatabeforeend);
            break;
        }
        const std::string header = readat(in, pos, chunkheadersize);
        const std::string tag = header.substr(0, 4);
        const std::uint64_t body = pos + chunkheadersize;
        std::uint64_t size = littleendian(header, 4, 4);
        const std::uint64_t room = length - body;
        if (tag == "ds64")
            ds64size = littleendian(readat(in, body, std::min<std::uint64_t>({size, ds64read, room})), ds64datasize, 8);
        if (tag == "fmt ")
            layout.format = readfmt(readat(in, body, std::min<std::uint64_t>({size, fmtread, room})));
        if (tag == "data") {
            if (size == unknownsize && ds64size != unknownsize)
                size = ds64size;
            layout.data = {true, body, std::min(size, room), size};
        }
        if (size > room) {
            stop = say(msg::nodatabeforechunk, {std::to_string(pos)});
            break;
        }
        if (layout.data.found && layout.format.found)
            break;
        pos = body + size + (size & 1);
    }
    if (!layout.data.found)
        layout.stop = stop;
    return layout;
}

std::string formatname(const sampleformat &format)
{
    // A name is the same in every language; the other kinds are messages,
    // with the bits per sample where the header gives them.
    static const struct {
        std::uint16_t tag;
        const char *name;
        msg withbits;
        msg alone;
    } kinds[] = {{pcm, "PCM", msg::namedbits, msg::count},       {2, "MS ADPCM", msg::namedbits, msg::count},
                 {3, nullptr, msg::floatbits, msg::floatname},   {6, nullptr, msg::alawbits, msg::alawname},
                 {7, nullptr, msg::mulawbits, msg::mulawname},   {0x11, "IMA ADPCM", msg::namedbits, msg::count},
                 {0x31, "GSM 6.10", msg::namedbits, msg::count}, {0x55, "MPEG Layer 3", msg::namedbits, msg::count}};
    const std::string bits = std::to_string(format.bitspersample);
    const bool sized = format.bitspersample > 0;
    if (format.tag == pcm && format.bitspersample == 8)
        return say(msg::unsignedpcm, {bits}); // 8-bit WAVE samples are the one unsigned kind
    for (const auto &k : kinds) {
        if (k.tag != format.tag)
            continue;
        if (k.name != nullptr)
            return sized ? say(k.withbits, {bits, k.name}) : k.name;
        return say(sized ? k.withbits : k.alone, {bits});
    }
    return sized ? say(msg::tagbits, {bits, hex4(format.tag)}) : say(msg::tagname, {hex4(format.tag)});
}

std::string layoutwarning(std::istream &in, std::uint64_t length, const std::string &fault)
{
    return say(msg::noncanonical, {fault, isriffwave(in) ? wheresamples(walkchunks(in, length)) : say(msg::notriff)});
}

std::string formatwarning(std::istream &in)
{
    const sampleformat format = readfmt(readat(in, canonicalfmt, canonicalfmtsize));
    if (format.tag == pcm && format.bitspersample == 16)
        return "";
    return say(msg::notfollowed, {formatname(format)});
}
