#pragma once

// Where a WAVE file's samples really are and what they are. The plot never
// uses this: it reads at the fixed offsets whatever the file holds. It only
// lets the warnings say what the plot cannot show.

#include <cstdint>
#include <istream>
#include <string>

struct sampleformat {
    bool found = false;
    std::uint16_t tag = 0; // for WAVE_FORMAT_EXTENSIBLE, the subformat's
    std::uint16_t channels = 0;
    std::uint16_t bitspersample = 0;
};

struct datachunk {
    bool found = false;
    std::uint64_t offset = 0;  // of its first sample byte
    std::uint64_t size = 0;    // sample bytes the file holds
    std::uint64_t claimed = 0; // sample bytes its size field (or ds64) claims
};

struct wavelayout {
    sampleformat format;
    datachunk data;
    std::string stop; // why the walk ended, where it found no data chunk
};

constexpr int maxchunks = 1000; // a walk reads at most this many chunk headers

// Walks the chunks from byte 12 of a stream of length bytes. Reads only
// chunk headers, the first 40 bytes of "fmt " and the sizes in "ds64",
// never past length.
wavelayout walkchunks(std::istream &in, std::uint64_t length);

// The format in words, such as "24-bit PCM", "8-bit unsigned PCM" or
// "32-bit float".
std::string formatname(const sampleformat &format);

// The warning for a header that departs from the canonical one as fault
// says: where the samples really are and what they are.
std::string layoutwarning(std::istream &in, std::uint64_t length, const std::string &fault);

// For a canonical header: empty for 16-bit PCM, else a warning that the
// plot does not follow the file's samples.
std::string formatwarning(std::istream &in);
