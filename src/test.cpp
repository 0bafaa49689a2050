// wavestars: draws the waveform of ./Alarm02.wav as rows of stars, then
// prints the file's main header values and waits for one value.

#include "platform.h"
#include "report.h"
#include "waveinput.h"
#include "wavelayout.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <new>
#include <string>
#include <system_error>

namespace {

const char *const wavepath = "./Alarm02.wav";

int fail(const std::string &message)
{
    std::cerr << "wavestars: " << message << '\n';
    if (ownsconsole()) { // double-clicked: the window closes as soon as the program ends
        std::cerr << "wavestars: press Enter to close this window\n";
        std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 1;
}

void warn(const std::string &message)
{
    std::cerr << "wavestars: warning: " << wavepath << ": " << message << '\n';
}

// Empty once in is open on a regular file, else why it is not. The type is
// checked first: opening a FIFO would block, and a directory is no data.
std::string openwave(std::ifstream &in)
{
    std::error_code error;
    const auto status = std::filesystem::status(wavepath, error);
    if (error)
        return error.default_error_condition().message(); // the portable text, such as "No such file or directory"
    if (status.type() == std::filesystem::file_type::directory)
        return "is a directory, expected a regular file";
    if (status.type() != std::filesystem::file_type::regular)
        return "not a regular file";
    errno = 0;
    in.open(wavepath, std::ios::binary | std::ios::in);
    if (!in)
        return errno != 0 ? std::strerror(errno) : "cannot open";
    return "";
}

std::int32_t plot(const std::vector<unsigned char> &block)
{
    const finetimer timer;
    return plotwave(block, std::cout);
}

void waitforvalue()
{
    int value = 0;
    std::cin >> value; // blank input is skipped; anything else, or the end of input, ends the wait
}

} // namespace

int main()
{
    std::ifstream in;
    const std::string why = openwave(in);
    if (!why.empty())
        return fail(std::string(wavepath) + ": " + why);

    const std::uint64_t length = streamlength(in);
    if (length < headersize)
        return fail(std::string(wavepath) + ": file is " + std::to_string(length) + " bytes, a WAVE header needs " +
                    std::to_string(headersize));
    // At most two warnings: the header's layout or its sample format, then
    // a short file, since only a canonical header's size at byte 40 is one.
    const std::string fault = headerfault(in);
    if (!fault.empty())
        warn(layoutwarning(in, length, fault));
    else if (const std::string format = formatwarning(in); !format.empty())
        warn(format);

    const waveinfo info = readwaveinfo(in);
    std::vector<unsigned char> block;
    try {
        block = readwavedata(in, info.datasize);
    } catch (const std::bad_alloc &) {
        return fail(std::string(wavepath) + ": cannot allocate " +
                    std::to_string(std::min<std::uint64_t>(info.datasize, length - headersize)) +
                    " bytes for the data block");
    }
    if (fault.empty() && block.size() < info.datasize)
        warn("the header claims " + std::to_string(info.datasize) + " data bytes, the file holds " +
             std::to_string(block.size()) + " after byte 44; plotting those");

    const std::int32_t rowcount = plot(block);
    in.close();

    const textencoding encoding = stdoutencoding();
    printsummary(info, rowcount, std::cout, encoding);
    block = std::vector<unsigned char>(); // free the block before the wait
    printprompt(std::cout, encoding);
    if (!std::cout)
        return fail("standard output: write error");
    waitforvalue();
    return 0;
}
