// Writes a short synthetic alarm: two pitches taking turns, each beep
// under a rise-and-fall envelope, 16-bit stereo, two seconds unless told
// otherwise.
//
// wavestars plots every 100th stereo frame, i.e. 441 points a second at
// 44100 Hz, so the pitches sit just above multiples of 441 Hz: what is
// plotted is then a slow, readable wave instead of noise.
//
// The peak is 68 % of full scale: no sample reaches 68 %, so the widest
// row is 51 spaces and 67 stars, 118 columns, and with the column a
// Windows console keeps for its line end it fits a new 120-column window
// with one to spare. The troughs, down to -67 %, still show as numbers.

#include "wavebuilder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {

constexpr std::uint32_t samplerate = 44100;
constexpr double defaultseconds = 2.0;
constexpr double beepseconds = 0.25;
constexpr double pitches[] = {893.0, 1329.0}; // seen as 11 Hz and 6 Hz in the plot
constexpr double amplitude = 0.68;            // see above: the plot fits 120 columns
const double pi = std::acos(-1.0);

std::string synthesise(double seconds)
{
    const auto frames = static_cast<std::uint32_t>(std::lround(samplerate * seconds));
    std::string data;
    data.reserve(std::size_t{frames} * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / samplerate;
        const auto beep = static_cast<std::size_t>(t / beepseconds);
        const double phase = std::fmod(t, beepseconds) / beepseconds;
        const double envelope = std::sin(pi * phase);
        const double v = amplitude * envelope * std::sin(2 * pi * pitches[beep % 2] * t);
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767)));
        putle(data, s, 2); // left
        putle(data, s, 2); // right
    }
    return data;
}

} // namespace

int main(int argc, char **argv)
{
    char *end = nullptr;
    const double seconds = argc == 3 ? std::strtod(argv[2], &end) : defaultseconds;
    if (argc < 2 || argc > 3 || (end != nullptr && *end != '\0') || !(seconds > 0 && seconds <= 600)) {
        std::cerr << "usage: makealarm FILE [SECONDS]   (0 < SECONDS <= 600)\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << makewave(synthesise(seconds));
    out.close();
    if (!out) {
        std::cerr << "makealarm: " << argv[1] << ": cannot write\n";
        return 1;
    }
    return 0;
}
