// wavestars: draws the waveform of ./Alarm02.wav as rows of stars, then
// prints the file's main header values and waits for one value.

#include "hints.h"
#include "messages.h"
#include "platform.h"
#include "report.h"
#include "waveinput.h"
#include "wavelayout.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace {

const char *const wavepath = "./Alarm02.wav";

// One line on standard error, in one write.
void tell(const std::string &message)
{
    (void)writeerror("wavestars: " + message + "\n");
}

void tell(const std::vector<std::string> &lines)
{
    for (const std::string &line : lines)
        tell(line);
}

int fail(const std::string &message, const std::vector<std::string> &hintlines = {})
{
    tell(message);
    tell(hintlines);
    if (ownsconsole()) { // double-clicked: the window closes as soon as the program ends
        tell(say(msg::pressenter));
        std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return 1;
}

int failon(const whereabouts &where, const std::string &message)
{
    return fail(std::string(wavepath) + ": " + message, hints(where, false));
}

void warn(const std::string &message)
{
    tell(say(msg::warning, {wavepath, message}));
}

// Causes of the program's own, beside the system's, so that one error
// code says why the file cannot be read.
enum class wavefault { notregular = 1, cannotopen };

const std::error_category &wavefaults()
{
    static const struct : std::error_category {
        const char *name() const noexcept override { return "wavestars"; }
        std::string message(int fault) const override
        {
            return english(static_cast<wavefault>(fault) == wavefault::notregular ? msg::notregular : msg::cannotopen);
        }
    } category;
    return category;
}

std::error_code make_error_code(wavefault fault)
{
    return {static_cast<int>(fault), wavefaults()};
}

// The cause in the user's language where it is a usual one, else in the
// system's words.
std::string describe(const std::error_code &error)
{
    static const struct {
        std::error_condition cause;
        msg text;
    } usual[] = {{std::errc::no_such_file_or_directory, msg::nosuchfile},
                 {std::errc::permission_denied, msg::permissiondenied},
                 {std::errc::not_a_directory, msg::notadirectory},
                 {std::errc::too_many_symbolic_link_levels, msg::toomanylinks},
                 {std::errc::filename_too_long, msg::nametoolong},
                 {std::errc::io_error, msg::ioerror},
                 {std::errc::is_a_directory, msg::isadirectory},
                 {{static_cast<int>(wavefault::notregular), wavefaults()}, msg::notregular},
                 {{static_cast<int>(wavefault::cannotopen), wavefaults()}, msg::cannotopen}};
    for (const auto &u : usual)
        if (error == u.cause)
            return say(u.text);
    return error.default_error_condition().message();
}

// Clear once in is open on a regular file, else why it is not. The type is
// checked first: opening a FIFO would block, and a directory is no data.
std::error_code openwave(std::ifstream &in)
{
    std::error_code error;
    const auto status = std::filesystem::status(wavepath, error);
    if (error)
        return error;
    if (status.type() == std::filesystem::file_type::directory)
        return std::make_error_code(std::errc::is_a_directory);
    if (status.type() != std::filesystem::file_type::regular)
        return make_error_code(wavefault::notregular);
    errno = 0;
    in.open(wavepath, std::ios::binary | std::ios::in);
    if (!in)
        return errno != 0 ? std::error_code(errno, std::generic_category()) : make_error_code(wavefault::cannotopen);
    return {};
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

int main(int argc, char **argv)
{
    chooselanguage(messagelocale(), errorcanshow);
    // Asked only where a hint may be given, so that nothing delays the first
    // row; the arguments only name what is not read.
    const auto where = [argc, argv] { return findwhereabouts(argc, argv); };
    std::ifstream in;
    if (const std::error_code error = openwave(in))
        return fail(std::string(wavepath) + ": " + describe(error),
                    hints(where(), error == std::errc::no_such_file_or_directory));

    const std::uint64_t length = streamlength(in);
    if (length < headersize)
        return failon(where(), say(msg::tooshort, {std::to_string(length), std::to_string(headersize)}));
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
        return failon(where(), say(msg::cannotallocate,
                                   {std::to_string(std::min<std::uint64_t>(info.datasize, length - headersize))}));
    }
    if (fault.empty() && block.size() < info.datasize)
        warn(say(msg::claimsmore, {std::to_string(info.datasize), std::to_string(block.size())}));

    // Known before the first row, told after the last, where it stays on
    // screen beside the summary while the program waits.
    const screeninfo screen = stdoutscreen();
    const std::int64_t needed = columnsneeded(screen, widestrow(block));
    const bool wraps = fitscreen(screen, needed, widenconsole) == fitting::warn;
    const std::int32_t rowcount = plot(block);
    in.close();
    if (wraps)
        tell(say(msg::narrowscreen, {std::to_string(needed), std::to_string(screen.columns)}));
    if (argc > 1) // else there is nothing to say, and no need to ask
        tell(hints(where(), false));

    const textencoding encoding = stdoutencoding();
    printsummary(info, rowcount, std::cout, encoding);
    block = std::vector<unsigned char>(); // free the block before the wait
    printprompt(std::cout, encoding);
    if (!std::cout)
        return fail(say(msg::writeerror));
    waitforvalue();
    return 0;
}
