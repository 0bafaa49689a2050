#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// The values the program takes from the file. All but filesize sit at fixed
// offsets of the canonical 44-byte WAVE header.
struct waveinfo {
    std::uint32_t filesize = 0; // low 32 bits of the file's length
    std::uint16_t channels = 0;
    std::uint32_t samplerate = 0;
    std::uint32_t byterate = 0;
    std::uint16_t bitspersample = 0;
    std::uint32_t datasize = 0;
};

// The data block starts here, whatever chunk actually lies there.
constexpr std::uint64_t headersize = 44;

// Length of the whole stream in bytes, 0 if it cannot be told.
std::uint64_t streamlength(std::istream &in);

waveinfo readwaveinfo(std::istream &in);

// The bytes from offset 44 on: datasize of them, or fewer when the file ends
// sooner. Never allocates more than the file holds.
std::vector<unsigned char> readwavedata(std::istream &in, std::uint32_t datasize);

// Up to count bytes at offset; fewer where the stream ends first.
std::string readat(std::istream &in, std::uint64_t offset, std::size_t count);

// The unsigned little-endian number in width bytes from at; bytes past the
// end of bytes count as 0.
std::uint64_t littleendian(const std::string &bytes, std::size_t at, int width);

// Empty for the canonical layout, else what differs from it.
std::string headerfault(std::istream &in);

// The signed 16-bit little-endian sample at pos; a second byte that lies
// past the block's end reads as 0.
std::int32_t readsample(const std::vector<unsigned char> &block, std::uint64_t pos);
