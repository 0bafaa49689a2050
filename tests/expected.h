#pragma once

// What the program should write, spelt out independently of its code.

#include <algorithm>
#include <cstdint>
#include <iconv.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace expected {

// "CE C4 20" -> the three bytes.
inline std::string fromhex(const char *hex)
{
    std::string bytes;
    for (const char *p = hex; *p != '\0'; p += p[2] == ' ' ? 3 : 2)
        bytes += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    return bytes;
}

inline std::string axis()
{
    return std::string(50, ' ') + "|\n";
}

inline std::string left(int stars)
{
    return std::string(static_cast<std::size_t>(50 - stars), ' ') + std::string(static_cast<std::size_t>(stars), '*') +
           "\n";
}

inline std::string right(int stars)
{
    return std::string(51, ' ') + std::string(static_cast<std::size_t>(stars), '*') + "\n";
}

// The seven labels and the prompt in GBK.
inline const std::string labels[7] = {
    fromhex("CE C4 BC FE B4 F3 D0 A1 CE AA 20 20 A3 BA"), fromhex("D2 F4 C6 B5 CD A8 B5 C0 CA FD 20 20 A3 BA"),
    fromhex("B2 C9 D1 F9 C6 B5 C2 CA 20 20 20 20 A3 BA"), fromhex("42 79 74 65 C2 CA 20 20 20 20 20 20 A3 BA"),
    fromhex("D1 F9 B1 BE CE BB CA FD 20 20 20 20 A3 BA"), fromhex("D2 F4 C6 B5 CA FD BE DD B4 F3 D0 A1 A3 BA"),
    fromhex("D7 DC BC C6 B4 F2 D3 A1 D0 D0 CA FD A3 BA"),
};
inline const std::string prompt = fromhex("B3 F6 CF D6 B5 C4 CA FD D7 D6 B4 FA B1 ED D0 C7 D0 C7 B5 C4 CA FD C1 BF "
                                          "A3 AC CA E4 C8 EB C8 CE D2 E2 D6 B5 BD E1 CA F8 B3 CC D0 F2");

// Columns on a console for UTF-8 text: ASCII takes one, each CJK
// character two.
inline std::size_t columns(const std::string &utf8)
{
    std::size_t width = 0;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80)
            width += c < 0x80 ? 1 : 2;
    }
    return width;
}

struct noconverter : std::runtime_error {
    noconverter() : std::runtime_error("no converter between these character sets") {}
};

// Text converted with the system's own tables (iconv), so that the
// program's conversions are checked against another's. Throws noconverter
// where the C library has none, as under qemu with a cross sysroot.
inline std::string convert(const std::string &text, const char *from, const char *to)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr): iconv's own error value
        throw noconverter();
    std::string in = text;
    std::string out(in.size() * 2, '\0');
    char *src = in.data();
    char *dst = out.data();
    std::size_t srcleft = in.size();
    std::size_t dstleft = out.size();
    const std::size_t done = iconv(cd, &src, &srcleft, &dst, &dstleft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1))
        throw std::runtime_error(std::string("not ") + from + ", or no place in " + to + ": " + text);
    out.resize(out.size() - dstleft);
    return out;
}

struct values {
    std::uint64_t filesize, channels, samplerate, byterate, bitspersample, datasize;
    std::int64_t rowcount;
};

// The seven values in plain decimal, in the summary's order.
inline std::vector<std::string> numbers(const values &v)
{
    return {std::to_string(v.filesize), std::to_string(v.channels),      std::to_string(v.samplerate),
            std::to_string(v.byterate), std::to_string(v.bitspersample), std::to_string(v.datasize),
            std::to_string(v.rowcount)};
}

inline std::string summary(const values &v)
{
    const std::vector<std::string> n = numbers(v);
    std::string text;
    for (std::size_t i = 0; i < 7; ++i)
        text += labels[i] + n[i] + "\n";
    return text;
}

// The unsigned little-endian number of width bytes at byte at of file.
inline std::uint64_t littleendian(const std::string &file, std::size_t at, int width)
{
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(file.at(at + static_cast<std::size_t>(i)));
    return value;
}

// The end of the bytes drawn: the data block as far as the file holds it.
inline std::uint64_t plotend(const std::string &file)
{
    return 44 + std::min<std::uint64_t>(littleendian(file, 40, 4), file.size() - 44);
}

// The summary's values for a whole file, read the plain way: the numbers at
// bytes 22, 24, 28, 34 and 40, and a row for every 400th byte drawn.
inline values header(const std::string &file)
{
    const auto le = [&](std::size_t at, int width) { return littleendian(file, at, width); };
    return {file.size(),
            le(22, 2),
            le(24, 4),
            le(28, 4),
            le(34, 2),
            le(40, 4),
            static_cast<std::int64_t>((plotend(file) - 44 + 399) / 400)};
}

// Standard output for a whole file: a row for the two bytes at every 400th
// byte from byte 44 on (a lone last byte taking 0 for its partner), then
// the summary. The prompt is not included.
inline std::string output(const std::string &file)
{
    const std::uint64_t end = plotend(file);
    std::string rows;
    for (std::uint64_t pos = 44; pos < end; pos += 400) {
        const std::uint64_t raw = littleendian(file, pos, pos + 1 < end ? 2 : 1);
        const auto s = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw));
        const auto n = static_cast<int>(100.0 * (s / 32768.0));
        rows += n <= -50 ? std::to_string(n) + "\n" : n < 0 ? left(-n) : n == 0 ? axis() : right(n);
    }
    return rows + summary(header(file));
}

} // namespace expected
