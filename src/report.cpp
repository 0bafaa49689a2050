#include "report.h"

#include "starrow.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr double fullscale = 32768.0;
constexpr double percent = 100.0;

// Each label is 14 bytes in GBK and 14 columns wide on screen, so the
// values line up in column 14 in either encoding. The UTF-8 forms are
// escapes too, so that every compiler reads the same bytes whatever code
// page it takes a source file to be in.
struct text {
    const char *gbk;
    const char *utf8;
};

// "wen jian da xiao wei": the file size is
const text filesizelabel = {"\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1\xCE\xAA  \xA3\xBA",
                            "\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xA7\xE5\xB0\x8F\xE4\xB8\xBA  \xEF\xBC\x9A"};
// "yin pin tong dao shu": number of audio channels
const text channelslabel = {"\xD2\xF4\xC6\xB5\xCD\xA8\xB5\xC0\xCA\xFD  \xA3\xBA",
                            "\xE9\x9F\xB3\xE9\xA2\x91\xE9\x80\x9A\xE9\x81\x93\xE6\x95\xB0  \xEF\xBC\x9A"};
// "cai yang pin lv": sampling frequency
const text sampleratelabel = {"\xB2\xC9\xD1\xF9\xC6\xB5\xC2\xCA    \xA3\xBA",
                              "\xE9\x87\x87\xE6\xA0\xB7\xE9\xA2\x91\xE7\x8E\x87    \xEF\xBC\x9A"};
// "Byte lv": byte rate
const text byteratelabel = {"Byte\xC2\xCA      \xA3\xBA", "Byte\xE7\x8E\x87      \xEF\xBC\x9A"};
// "yang ben wei shu": bits per sample
const text bitslabel = {"\xD1\xF9\xB1\xBE\xCE\xBB\xCA\xFD    \xA3\xBA",
                        "\xE6\xA0\xB7\xE6\x9C\xAC\xE4\xBD\x8D\xE6\x95\xB0    \xEF\xBC\x9A"};
// "yin pin shu ju da xiao": audio data size
const text datasizelabel = {"\xD2\xF4\xC6\xB5\xCA\xFD\xBE\xDD\xB4\xF3\xD0\xA1\xA3\xBA",
                            "\xE9\x9F\xB3\xE9\xA2\x91\xE6\x95\xB0\xE6\x8D\xAE\xE5\xA4\xA7\xE5\xB0\x8F\xEF\xBC\x9A"};
// "zong ji da yin hang shu": total number of rows printed
const text rowcountlabel = {"\xD7\xDC\xBC\xC6\xB4\xF2\xD3\xA1\xD0\xD0\xCA\xFD\xA3\xBA",
                            "\xE6\x80\xBB\xE8\xAE\xA1\xE6\x89\x93\xE5\x8D\xB0\xE8\xA1\x8C\xE6\x95\xB0\xEF\xBC\x9A"};
// "chu xian de shu zi dai biao xing xing de shu liang, shu ru ren yi zhi jie
// shu cheng xu": the numbers that appear stand for the number of stars;
// enter any value to end the program
const text prompt = {"\xB3\xF6\xCF\xD6\xB5\xC4\xCA\xFD\xD7\xD6\xB4\xFA\xB1\xED\xD0\xC7\xD0\xC7\xB5\xC4\xCA\xFD\xC1\xBF"
                     "\xA3\xAC\xCA\xE4\xC8\xEB\xC8\xCE\xD2\xE2\xD6\xB5\xBD\xE1\xCA\xF8\xB3\xCC\xD0\xF2",
                     "\xE5\x87\xBA\xE7\x8E\xB0\xE7\x9A\x84\xE6\x95\xB0\xE5\xAD\x97\xE4\xBB\xA3\xE8\xA1\xA8\xE6\x98\x9F"
                     "\xE6\x98\x9F\xE7\x9A\x84\xE6\x95\xB0\xE9\x87\x8F\xEF\xBC\x8C\xE8\xBE\x93\xE5\x85\xA5\xE4\xBB\xBB"
                     "\xE6\x84\x8F\xE5\x80\xBC\xE7\xBB\x93\xE6\x9D\x9F\xE7\xA8\x8B\xE5\xBA\x8F"};

// A label or the prompt, in the form the output wants; a Windows console
// takes it straight, beside the stream.
void puttext(std::ostream &out, const text &t, textencoding encoding)
{
    if (encoding != textencoding::console) {
        out << (encoding == textencoding::utf8 ? t.utf8 : t.gbk);
        return;
    }
    out.flush(); // what the stream holds goes first, so the order stays right
    if (!writeconsole(t.utf8))
        out.setstate(std::ios::badbit);
}

template <typename number>
void printline(std::ostream &out, const text &label, number value, textencoding encoding)
{
    puttext(out, label, encoding);
    out << value << '\n';
    out.flush();
}

// Blocks until at least delay has passed on the steady clock.
void pauseatleast(std::chrono::nanoseconds delay)
{
    using clock = std::chrono::steady_clock;
    const clock::time_point until = clock::now() + delay;
    for (clock::time_point now = clock::now(); now < until; now = clock::now())
        waitabout(until - now);
}

} // namespace

double barvalue(std::int32_t sample)
{
    return percent * (sample / fullscale);
}

std::int32_t plotwave(const std::vector<unsigned char> &block, std::ostream &out, std::chrono::milliseconds delay)
{
    std::int32_t rowcount = 0;
    for (std::uint64_t pos = 0; pos < block.size() && out; pos += samplestride) {
        printstar2(barvalue(readsample(block, pos)), out);
        pauseatleast(delay);
        ++rowcount;
    }
    return rowcount;
}

std::int64_t widestrow(const std::vector<unsigned char> &block)
{
    std::int64_t widest = 0;
    for (std::uint64_t pos = 0; pos < block.size(); pos += samplestride)
        widest = std::max(widest, rowwidth(barvalue(readsample(block, pos))));
    return widest;
}

std::int64_t columnsneeded(const screeninfo &screen, std::int64_t width)
{
    return width + screen.wrapmargin;
}

fitting fitscreen(const screeninfo &screen, std::int64_t needed, bool (*widen)(std::int64_t columns))
{
    if (screen.columns == 0 || needed <= screen.columns)
        return fitting::fits;
    if (screen.owned && screen.classic && widen(needed))
        return fitting::widened;
    return fitting::warn;
}

void printsummary(const waveinfo &info, std::int32_t rowcount, std::ostream &out, textencoding encoding)
{
    printline(out, filesizelabel, info.filesize, encoding);
    printline(out, channelslabel, info.channels, encoding);
    printline(out, sampleratelabel, info.samplerate, encoding);
    printline(out, byteratelabel, info.byterate, encoding);
    printline(out, bitslabel, info.bitspersample, encoding);
    printline(out, datasizelabel, info.datasize, encoding);
    printline(out, rowcountlabel, rowcount, encoding);
}

void printprompt(std::ostream &out, textencoding encoding)
{
    puttext(out, prompt, encoding);
    out.flush();
}
