// The program's messages in the user's language, end to end: the exact
// line on standard error in each locale, in the locale's character set,
// and standard output the same bytes in all of them.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

std::string togbk(const std::string &utf8)
{
    return expected::convert(utf8, "UTF-8", "GBK");
}

struct messagecase {
    const char *name;
    std::string file; // empty: no file at all
    int status;
    std::string english;     // all of standard error
    std::string chinese;     // the same in UTF-8
    std::string traditional; // the same in Traditional Chinese, in UTF-8
};

void PrintTo(const messagecase &c, std::ostream *os)
{
    *os << c.name;
}

const std::string w = "wavestars: warning: ./Alarm02.wav: ";
const std::string zw = "wavestars: 警告：./Alarm02.wav: ";
const std::string tw = "wavestars: 警告：./Alarm02.wav：";

std::vector<messagecase> messagecases()
{
    const std::string data = spacedsamples({0, 0}, 800);
    std::string riffx = makewave(data);
    riffx[3] = 'X';
    return {
        {"missing", "", 1, "wavestars: ./Alarm02.wav: No such file or directory\n",
         "wavestars: ./Alarm02.wav: 文件或目录不存在\n", "wavestars: ./Alarm02.wav: 沒有此一檔案或目錄\n"},
        {"short", makewave("").substr(0, 10), 1, "wavestars: ./Alarm02.wav: file is 10 bytes, a WAVE header needs 44\n",
         "wavestars: ./Alarm02.wav: 文件只有 10 字节，而 WAVE 文件头需要 44 字节\n",
         "wavestars: ./Alarm02.wav: 檔案只有 10 位元組，而 WAVE 檔頭需要 44 位元組\n"},
        {"cutshort", withdatasize(makewave(data), 4000), 0,
         w + "the header claims 4000 data bytes, the file holds 800 after byte 44; plotting those\n",
         zw + "文件头声明数据有 4000 字节，但文件在第 44 字节之后只有 800 字节；按现有数据绘制\n",
         tw + "檔頭宣告資料有 4000 位元組，但檔案在第 44 位元組之後只有 800 位元組；依現有資料繪製\n"},
        {"eightbit", makewave(data, {1, 8000, 8}), 0,
         w + "the samples are 8-bit unsigned PCM, but each row reads two bytes as one signed 16-bit sample, so the "
             "plot does not follow this file's waveform\n",
         zw + "采样格式为 8 位无符号 PCM，但每一行都把两个字节当作一个 16 位有符号采样来读，因此绘出的图形并不是该"
              "文件的波形\n",
         tw +
             "樣本格式為 8 位元無號 PCM，但每一列都把兩個位元組當作一個 16 位元有號樣本讀取，因此繪出的圖形並不是此檔案"
             "的波形\n"},
        {"listchunk", riff(fmtchunk({2, 44100, 16}, 2) + chunk("LIST", "INFOtest") + chunk("data", data)), 0,
         w + "not the canonical 44-byte WAVE header (bytes 36-39 hold \"\\x00\\x00LI\", expected \"data\"); its "
             "samples are 16-bit PCM, 2 channels, 800 bytes from byte 62; the rows are read from byte 44 all the "
             "same, and the values at fixed offsets may not mean what their labels say\n",
         zw + "不是标准的 44 字节 WAVE 文件头（第 36-39 字节为“\\x00\\x00LI”，应为“data”）；采样为 16 位 PCM、2 "
              "个声道，位于第 62 字节起的 800 字节；各行仍从第 44 字节起读取，固定偏移处的数值可能与其标签的含义不符"
              "\n",
         tw +
             "不是標準的 44 位元組 WAVE 檔頭（第 36-39 位元組為「\\x00\\x00LI」，應為「data」）；樣本為 16 位元 PCM、2 "
             "個聲道，位於第 62 位元組起的 800 位元組；各列仍從第 44 "
             "位元組起讀取，固定位移處的數值可能與其標籤的含義不符"
             "\n"},
        {"riffx", riffx, 0,
         w + "not the canonical 44-byte WAVE header (bytes 0-3 hold \"RIFX\", expected \"RIFF\"); it is not a RIFF "
             "WAVE file, so where its samples lie is unknown; the rows are read from byte 44 all the same, and the "
             "values at fixed offsets may not mean what their labels say\n",
         zw + "不是标准的 44 字节 WAVE 文件头（第 0-3 字节为“RIFX”，应为“RIFF”）；它不是 RIFF WAVE "
              "文件，无法确定采样数据的位置；各行仍从第 44 字节起读取，固定偏移处的数值可能与其标签的含义不符\n",
         tw + "不是標準的 44 位元組 WAVE 檔頭（第 0-3 位元組為「RIFX」，應為「RIFF」）；它不是 RIFF WAVE "
              "檔案，無法確定樣本資料的位置；各列仍從第 44 位元組起讀取，固定位移處的數值可能與其標籤的含義不符\n"},
    };
}

// One way of naming the locale: the settings, the locales they need, and
// which text of the message standard error then holds.
enum class text { english, utf8, gbk, traditional, big5, hkscs };

struct localesetting {
    const char *name;
    std::vector<std::string> environment;
    std::vector<std::string> needs;
    text err;
};

// LC_ALL, else LC_MESSAGES, else LANG names the language, and LC_CTYPE
// (or LC_ALL, or LANG) the character set. A locale that is not installed,
// or a character set without Chinese, leaves the messages in English.
const localesetting settings[] = {
    {"zhCNutf8", {"LC_ALL=zh_CN.UTF-8"}, {"zh_CN.UTF-8"}, text::utf8},
    {"zhCNgbk", {"LC_ALL=zh_CN.GBK"}, {"zh_CN.GBK"}, text::gbk},
    {"zhSGutf8", {"LC_ALL=zh_SG.UTF-8"}, {"zh_SG.UTF-8"}, text::utf8},
    {"zhTWutf8", {"LC_ALL=zh_TW.UTF-8"}, {"zh_TW.UTF-8"}, text::traditional},
    {"zhTWbig5", {"LC_ALL=zh_TW.BIG5"}, {"zh_TW.BIG5"}, text::big5},
    {"zhHKutf8", {"LC_ALL=zh_HK.UTF-8"}, {"zh_HK.UTF-8"}, text::traditional},
    {"zhHKhkscs", {"LC_ALL=zh_HK.BIG5-HKSCS"}, {"zh_HK.BIG5-HKSCS"}, text::hkscs},
    {"messagesutf8ctypegbk",
     {"LC_ALL=", "LANG=C", "LC_MESSAGES=zh_CN.UTF-8", "LC_CTYPE=zh_CN.GBK"},
     {"zh_CN.UTF-8", "zh_CN.GBK"},
     text::gbk},
    {"messagesutf8ctypeascii",
     {"LC_ALL=", "LANG=C", "LC_MESSAGES=zh_CN.UTF-8", "LC_CTYPE="},
     {"zh_CN.UTF-8"},
     text::english},
    {"notinstalled", {"LC_ALL=", "LANG=zh_MO.UTF-8", "LC_MESSAGES=", "LC_CTYPE="}, {}, text::english},
};

void PrintTo(const localesetting &s, std::ostream *os)
{
    *os << s.name;
}

std::string inlanguage(const messagecase &c, text t)
{
    switch (t) {
    case text::english:
        return c.english;
    case text::utf8:
        return c.chinese;
    case text::gbk:
        return togbk(c.chinese);
    case text::traditional:
        return c.traditional;
    case text::big5:
        return expected::convert(c.traditional, "UTF-8", "BIG5");
    case text::hkscs:
        return expected::convert(c.traditional, "UTF-8", "BIG5-HKSCS");
    }
    return "";
}

// Each message in each setting, one test apiece, so that a locale the
// build could not make skips only the rows that need it.
class speaks : public testing::TestWithParam<std::tuple<messagecase, localesetting>> {
  protected:
    void SetUp() override
    {
        if (!runner().empty())
            WAVESTARS_SKIP("the locales are this machine's, not " + runner() + "'s");
        for (const std::string &locale : setting().needs) {
            if (const std::string why = notmade(locale); !why.empty())
                WAVESTARS_SKIP(why);
            ASSERT_TRUE(installed(locale.c_str())) << locale << " was made but does not load: is LOCPATH set?";
        }
        if (!message().file.empty())
            dir.writewave(message().file);
    }
    static const messagecase &message() { return std::get<0>(GetParam()); }
    static const localesetting &setting() { return std::get<1>(GetParam()); }
    tempdir dir;
};

TEST_P(speaks, chineseinachineselocaleinitscharacterset)
{
    ASSERT_FALSE(installed("zh_MO.UTF-8")) << "the last setting needs a Chinese locale that is not installed";
    const outcome english = runprogram(dir.path(), "0\n", {"LC_ALL=C.UTF-8"});
    EXPECT_EQ(english.err, message().english);
    const outcome result = runprogram(dir.path(), "0\n", setting().environment);
    EXPECT_EQ(result.status, message().status);
    EXPECT_EQ(result.err, inlanguage(message(), setting().err));
    EXPECT_EQ(result.out, english.out) << "standard output differs from C.UTF-8's";
}

INSTANTIATE_TEST_SUITE_P(languages, speaks,
                         testing::Combine(testing::ValuesIn(messagecases()), testing::ValuesIn(settings)),
                         [](const auto &param) {
                             return std::string(std::get<0>(param.param).name) + "_" + std::get<1>(param.param).name;
                         });

// Wine takes the UI language and the ANSI code page from the Unix locale:
// zh-CN and 936 (GBK) for zh_CN, zh-TW or zh-HK and 950 (Big5) for zh_TW and
// zh_HK.
struct winecase {
    const char *locale;
    const char *charset;
    std::string text;
};

void PrintTo(const winecase &c, std::ostream *os)
{
    *os << c.locale;
}

class winelanguage : public testing::TestWithParam<winecase> {};

TEST_P(winelanguage, chineseinthecodepageonafilewhentheuilanguageischinese)
{
    if (std::getenv("WAVESTARS_WINESERVER") == nullptr)
        WAVESTARS_SKIP("needs the Windows build under Wine: bash .ci/windows");
    if (const std::string why = notmade(GetParam().locale); !why.empty())
        WAVESTARS_SKIP(why);
    const tempdir dir;
    const outcome result = runprogram(dir.path(), "", {std::string("LC_ALL=") + GetParam().locale});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, expected::convert(GetParam().text, "UTF-8", GetParam().charset));
}

INSTANTIATE_TEST_SUITE_P(
    uilanguages, winelanguage,
    testing::Values(winecase{"zh_CN.UTF-8", "GBK", "wavestars: ./Alarm02.wav: 文件或目录不存在\n"},
                    winecase{"zh_TW.UTF-8", "BIG5", "wavestars: ./Alarm02.wav: 沒有此一檔案或目錄\n"},
                    winecase{"zh_HK.UTF-8", "BIG5", "wavestars: ./Alarm02.wav: 沒有此一檔案或目錄\n"}),
    [](const auto &param) { return std::string(param.param.locale).substr(0, 5); });

} // namespace
