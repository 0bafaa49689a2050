#pragma once

// What the program should write, spelt out independently of its code.

#include <cstdint>
#include <string>

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

struct values {
    std::uint64_t filesize, channels, samplerate, byterate, bitspersample, datasize;
    std::int64_t rowcount;
};

inline std::string summary(const values &v)
{
    const std::string numbers[7] = {std::to_string(v.filesize),      std::to_string(v.channels),
                                    std::to_string(v.samplerate),    std::to_string(v.byterate),
                                    std::to_string(v.bitspersample), std::to_string(v.datasize),
                                    std::to_string(v.rowcount)};
    std::string text;
    for (int i = 0; i < 7; ++i)
        text += labels[i] + numbers[i] + "\n";
    return text;
}

} // namespace expected
