#include "wavebuilder.h"

#include <algorithm>

void putle(std::string &bytes, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xff);
}

std::string samplebytes(std::initializer_list<std::int16_t> samples)
{
    std::string bytes;
    for (std::int16_t s : samples)
        putle(bytes, static_cast<std::uint16_t>(s), 2);
    return bytes;
}

std::string chunk(const std::string &tag, const std::string &body)
{
    std::string bytes = tag;
    putle(bytes, static_cast<std::uint32_t>(body.size()), 4);
    bytes += body;
    if (body.size() % 2 != 0)
        bytes += '\0';
    return bytes;
}

namespace {

// The 16 bytes every fmt chunk starts with.
std::string fmtfields(const wavefields &fields, std::uint16_t tag)
{
    const std::uint32_t blockalign = fields.channels * (fields.bitspersample / 8u);
    std::string body;
    putle(body, tag, 2);
    putle(body, fields.channels, 2);
    putle(body, fields.samplerate, 4);
    putle(body, fields.samplerate * blockalign, 4);
    putle(body, blockalign, 2);
    putle(body, fields.bitspersample, 2);
    return body;
}

} // namespace

std::string fmtchunk(const wavefields &fields, std::size_t extra)
{
    std::string body = fmtfields(fields, fields.format);
    body.append(extra, '\0');
    return chunk("fmt ", body);
}

std::string extensiblefmt(const wavefields &fields)
{
    std::string body = fmtfields(fields, 0xFFFE);
    putle(body, 22, 2); // the size of what follows
    putle(body, fields.bitspersample, 2);
    putle(body, (1u << fields.channels) - 1, 4); // one speaker a channel
    putle(body, fields.format, 2);               // the subformat GUID: the tag, then a fixed tail
    body += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return chunk("fmt ", body);
}

std::string riff(const std::string &chunks)
{
    std::string bytes = "RIFF";
    putle(bytes, static_cast<std::uint32_t>(4 + chunks.size()), 4);
    return bytes + "WAVE" + chunks;
}

std::string makewave(const std::string &data, const wavefields &fields)
{
    // Without the pad byte: the canonical layout has data running to the end.
    std::string datachunk = "data";
    putle(datachunk, static_cast<std::uint32_t>(data.size()), 4);
    return riff(fmtchunk(fields) + datachunk + data);
}

std::string rf64(const std::string &data, const wavefields &fields)
{
    const std::string format = fmtchunk(fields);
    std::string ds64;
    putle(ds64, static_cast<std::uint32_t>(4 + 36 + format.size() + 8 + data.size()), 4); // RIFF size, low half
    putle(ds64, 0, 4);
    putle(ds64, static_cast<std::uint32_t>(data.size()), 4); // data size, low half
    putle(ds64, 0, 4);
    const std::size_t blockalign = std::max(fields.channels * (fields.bitspersample / 8u), 1u);
    putle(ds64, static_cast<std::uint32_t>(data.size() / blockalign), 4); // sample count
    putle(ds64, 0, 4);
    putle(ds64, 0, 4); // no table
    std::string bytes = "RF64";
    putle(bytes, 0xFFFFFFFF, 4);
    bytes += "WAVE" + chunk("ds64", ds64) + format + "data";
    putle(bytes, 0xFFFFFFFF, 4);
    return bytes + data;
}

std::string withdatasize(std::string wave, std::uint32_t datasize)
{
    std::string field;
    putle(field, datasize, 4);
    return wave.replace(40, 4, field);
}

std::string spacedsamples(const std::vector<std::int16_t> &samples, std::size_t size, std::size_t stride, char filler)
{
    std::string block(size, filler);
    for (std::size_t k = 0; k < samples.size() && k * stride < size; ++k) {
        std::string bytes;
        putle(bytes, static_cast<std::uint16_t>(samples[k]), 2);
        const std::size_t fits = std::min<std::size_t>(2, size - k * stride);
        block.replace(k * stride, fits, bytes, 0, fits);
    }
    return block;
}
