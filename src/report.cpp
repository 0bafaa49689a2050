#include "report.h"

#include "starrow.h"

namespace {

constexpr double fullscale = 32768.0;
constexpr double percent = 100.0;

// Each label is 14 bytes in GBK and 14 columns wide on screen, so the
// values line up in column 14 in either encoding.
struct text {
    const char *gbk;
    const char *utf8;
};

const text filesizelabel = {"\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1\xCE\xAA  \xA3\xBA", "文件大小为  ："};
const text channelslabel = {"\xD2\xF4\xC6\xB5\xCD\xA8\xB5\xC0\xCA\xFD  \xA3\xBA", "音频通道数  ："};
const text sampleratelabel = {"\xB2\xC9\xD1\xF9\xC6\xB5\xC2\xCA    \xA3\xBA", "采样频率    ："};
const text byteratelabel = {"Byte\xC2\xCA      \xA3\xBA", "Byte率      ："};
const text bitslabel = {"\xD1\xF9\xB1\xBE\xCE\xBB\xCA\xFD    \xA3\xBA", "样本位数    ："};
const text datasizelabel = {"\xD2\xF4\xC6\xB5\xCA\xFD\xBE\xDD\xB4\xF3\xD0\xA1\xA3\xBA", "音频数据大小："};
const text rowcountlabel = {"\xD7\xDC\xBC\xC6\xB4\xF2\xD3\xA1\xD0\xD0\xCA\xFD\xA3\xBA", "总计打印行数："};
const text prompt = {"\xB3\xF6\xCF\xD6\xB5\xC4\xCA\xFD\xD7\xD6\xB4\xFA\xB1\xED\xD0\xC7\xD0\xC7\xB5\xC4\xCA\xFD\xC1\xBF"
                     "\xA3\xAC\xCA\xE4\xC8\xEB\xC8\xCE\xD2\xE2\xD6\xB5\xBD\xE1\xCA\xF8\xB3\xCC\xD0\xF2",
                     "出现的数字代表星星的数量，输入任意值结束程序"};

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
