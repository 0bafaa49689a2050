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

std::string fmtchunk(const wavefields &fields, std::size_t extra)
{
    const std::uint32_t blockalign = fields.channels * (fields.bitspersample / 8u);
    std::string body;
    putle(body, 1, 2); // PCM
    putle(body, fields.channels, 2);
    putle(body, fields.samplerate, 4);
    putle(body, fields.samplerate * blockalign, 4);
    putle(body, blockalign, 2);
    putle(body, fields.bitspersample, 2);
    body.append(extra, '\0');
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
