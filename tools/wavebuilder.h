#pragma once

// Builds WAVE files in memory, byte by byte, for the tests, the fuzz seeds
// and the demo sample.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct wavefields {
    std::uint16_t channels = 2;
    std::uint32_t samplerate = 44100;
    std::uint16_t bitspersample = 16;
    std::uint16_t format = 1; // PCM; 3 is float
};

// Appends value as width little-endian bytes.
void putle(std::string &bytes, std::uint32_t value, int width);

// Little-endian 16-bit samples, as a data chunk holds them.
std::string samplebytes(std::initializer_list<std::int16_t> samples);

// One RIFF chunk: tag, size, body, and the pad byte an odd body needs.
std::string chunk(const std::string &tag, const std::string &body);

// A PCM fmt chunk; extra appends that many zero bytes to its 16-byte body.
std::string fmtchunk(const wavefields &fields, std::size_t extra = 0);

// A 40-byte WAVE_FORMAT_EXTENSIBLE fmt chunk whose subformat is fields.format.
std::string extensiblefmt(const wavefields &fields);

// "RIFF", its size, "WAVE", then the chunks.
std::string riff(const std::string &chunks);

// The canonical 44-byte header followed by data.
std::string makewave(const std::string &data, const wavefields &fields = {});

// An RF64 file: its sizes in a ds64 chunk, 0xFFFFFFFF in the size fields.
std::string rf64(const std::string &data, const wavefields &fields = {});

// Overwrites the 4-byte data size at offset 40 of a canonical file.
std::string withdatasize(std::string wave, std::uint32_t datasize);

// A data block of size bytes with samples[k] at byte k * stride and filler
// everywhere else, so that a reader picking the wrong bytes shows.
std::string spacedsamples(const std::vector<std::int16_t> &samples, std::size_t size, std::size_t stride = 400,
                          char filler = '\x80');
