// Writes the fuzzers' starting inputs: WAVE files of every awkward size and
// layout, and the bar values around each row boundary.

#include "wavebuilder.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> wavefiles()
{
    const std::string picks = spacedsamples({-32768, -16384, -16383, -328, -327, 0, 327, 328, 32767}, 3600);
    const std::string canonical = makewave(picks);
    std::vector<std::string> files = {canonical, makewave(picks, {1, 8000, 8}), makewave(picks, {6, 96000, 24})};
    for (std::size_t size : {0u, 1u, 2u, 3u, 399u, 400u, 401u, 402u, 799u, 800u, 801u})
        files.push_back(makewave(picks.substr(0, size)));
    for (std::size_t length : {0u, 4u, 21u, 43u, 44u, 45u})
        files.push_back(canonical.substr(0, length));
    files.push_back(withdatasize(canonical, 0xFFFFFFFF));
    files.push_back(withdatasize(canonical, 0));
    files.push_back(riff(fmtchunk({2, 44100, 16}, 2) + chunk("data", picks)));
    files.push_back(
        riff(fmtchunk({2, 44100, 16}) + chunk("LIST", std::string("INFOISFT\5\0\0\0test", 16)) + chunk("data", picks)));
    files.push_back(
        riff(fmtchunk({1, 22050, 16}) + chunk("fact", std::string("\x10\0\0\0", 4)) + chunk("data", picks)));
    files.push_back(riff(extensiblefmt({6, 48000, 24, 1}) + chunk("data", picks)));
    files.push_back(
        riff(chunk("JUNK", std::string(28, '\0')) + extensiblefmt({2, 44100, 32, 3}) + chunk("data", picks)));
    files.push_back(rf64(picks));
    std::string empties;
    for (int i = 0; i < 1200; ++i)
        empties += chunk("JUNK", "");
    files.push_back(riff(fmtchunk({}) + empties + chunk("data", picks)));
    return files;
}

std::vector<double> barvalues()
{
    const double inf = std::numeric_limits<double>::infinity();
    return {0.0,           -0.0,          0.999,
            -0.999,        1.0,           -1.0,
            -49.99,        -50.0,         -100.0,
            99.99,         150.0,         1e300,
            -1e300,        inf,           -inf,
            std::nan(""),  2147483647.5,  2147483648.0,
            -2147483648.5, -2147483649.0, std::numeric_limits<double>::denorm_min()};
}

bool write(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: makeseeds WAVEDIR ROWDIR\n";
        return 2;
    }
    int n = 0;
    bool ok = true;
    for (const std::string &file : wavefiles())
        ok = write(std::string(argv[1]) + "/seed" + std::to_string(n++), file) && ok;
    for (double x : barvalues()) {
        std::string bytes(sizeof x, '\0');
        std::memcpy(bytes.data(), &x, sizeof x);
        ok = write(std::string(argv[2]) + "/seed" + std::to_string(n++), bytes) && ok;
    }
    if (!ok)
        std::cerr << "makeseeds: cannot write the seeds\n";
    return ok ? 0 : 1;
}
