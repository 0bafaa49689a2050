#include "messages.h"

#include "catalogue.h"
#include "expected.h"
#include "runprogram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

namespace {

// The {1}, {2}, ... of a text.
std::multiset<std::string> slots(const std::string &text)
{
    static const std::regex slot("\\{[1-9]\\}");
    std::multiset<std::string> found;
    for (auto i = std::sregex_iterator(text.begin(), text.end(), slot); i != std::sregex_iterator(); ++i)
        found.insert(i->str());
    return found;
}

std::set<std::string> catalogues()
{
    std::set<std::string> names;
    for (std::size_t i = 0; i < translationcount; ++i)
        names.insert(translations[i].locale);
    return names;
}

const translation *find(const std::string &locale, msg id)
{
    for (std::size_t i = 0; i < translationcount; ++i)
        if (translations[i].locale == locale && translations[i].english == std::string(english(id)))
            return &translations[i];
    return nullptr;
}

bool always(const std::string & /*text*/)
{
    return true;
}

bool never(const std::string & /*text*/)
{
    return false;
}

// Character sets that hold one of the two scripts only, as Big5 holds no
// Simplified characters.
bool notraditional(const std::string &text)
{
    return text.find("檔案") == std::string::npos;
}

bool nosimplified(const std::string &text)
{
    return text.find("文件") == std::string::npos;
}

class messages : public testing::Test {
  protected:
    void TearDown() override { chooselanguage("C", always); }
};

TEST_F(messages, everycatalogueholdseverymessagewiththesameslots)
{
    for (const char *chinese : {"zh_CN", "zh_TW"})
        ASSERT_TRUE(catalogues().count(chinese)) << "no " << chinese << " catalogue was built in";
    for (const std::string &locale : catalogues())
        for (int i = 0; i < static_cast<int>(msg::count); ++i) {
            const auto id = static_cast<msg>(i);
            SCOPED_TRACE(locale + ": " + english(id));
            const translation *t = find(locale, id);
            ASSERT_NE(t, nullptr) << "not translated";
            EXPECT_NE(std::string(t->text), english(id));
            EXPECT_EQ(slots(t->text), slots(english(id)));
        }
}

TEST_F(messages, nocatalogueholdsatextthattheprogramdoesnothave)
{
    for (std::size_t i = 0; i < translationcount; ++i) {
        bool known = false;
        for (int k = 0; k < static_cast<int>(msg::count); ++k)
            known = known || translations[i].english == std::string(english(static_cast<msg>(k)));
        EXPECT_TRUE(known) << translations[i].locale << ": \"" << translations[i].english << "\"";
    }
}

// Standard error may be in GBK, and in Big5 for Traditional Chinese: every
// text must have a place in its character set.
TEST_F(messages, everytexthasaplaceinitscharacterset)
{
    try {
        (void)expected::convert("", "UTF-8", "GBK");
        (void)expected::convert("", "UTF-8", "BIG5");
    } catch (const expected::noconverter &) {
        WAVESTARS_SKIP("this C library has no GBK or Big5 converter");
    }
    for (std::size_t i = 0; i < translationcount; ++i) {
        const char *charset = std::string(translations[i].locale) == "zh_TW" ? "BIG5" : "GBK";
        EXPECT_NO_THROW((void)expected::convert(translations[i].text, "UTF-8", charset))
            << translations[i].locale << ": " << translations[i].text;
    }
}

TEST_F(messages, fillstheslotsinthechosenlanguage)
{
    EXPECT_EQ(say(msg::tooshort, {"10", "44"}), "file is 10 bytes, a WAVE header needs 44");
    chooselanguage("zh_CN.UTF-8", always);
    EXPECT_EQ(say(msg::tooshort, {"10", "44"}), "文件只有 10 字节，而 WAVE 文件头需要 44 字节");
    EXPECT_EQ(say(msg::endssooner, {"{2}", "7"}), "{2}（数据块声明有 7 字节，但文件提前结束）")
        << "a value is put in as it is, never read for slots";
}

struct localecase {
    const char *locale;
    bool (*canshow)(const std::string &);
    const char *language;
};

class chooses : public testing::TestWithParam<localecase> {};

TEST_P(chooses, thecataloguethatfitsorenglish)
{
    chooselanguage(GetParam().locale, GetParam().canshow);
    EXPECT_EQ(language(), GetParam().language);
    chooselanguage("C", always);
}

INSTANTIATE_TEST_SUITE_P(
    locales, chooses,
    testing::Values(localecase{"zh_CN.UTF-8", always, "zh_CN"}, localecase{"zh_CN.GBK", always, "zh_CN"},
                    localecase{"zh_CN", always, "zh_CN"}, localecase{"zh-CN", always, "zh_CN"}, // Windows
                    localecase{"zh_SG.UTF-8", always, "zh_CN"}, localecase{"zh-SG", always, "zh_CN"},
                    localecase{"zh-Hans-HK", always, "zh_CN"}, localecase{"zh_TW.UTF-8", always, "zh_TW"},
                    localecase{"zh_TW.BIG5", always, "zh_TW"}, localecase{"zh_TW.UTF-8@latin", always, "zh_TW"},
                    localecase{"zh_HK.BIG5-HKSCS", always, "zh_TW"}, localecase{"zh_MO.UTF-8", always, "zh_TW"},
                    localecase{"zh-TW", always, "zh_TW"}, localecase{"zh-HK", always, "zh_TW"},
                    localecase{"zh-MO", always, "zh_TW"}, localecase{"zh-Hant-SG", always, "zh_TW"},
                    localecase{"zh-Hant", always, "zh_TW"}, localecase{"zh", always, "zh_CN"},
                    // the other Chinese where the character set holds only that, else English
                    localecase{"zh_TW.UTF-8", notraditional, "zh_CN"}, localecase{"zh_CN.UTF-8", nosimplified, "zh_TW"},
                    localecase{"zh_HK.UTF-8", never, ""}, localecase{"zh_CN.UTF-8", never, ""},
                    localecase{"C", always, ""}, localecase{"POSIX", always, ""}, localecase{"", always, ""},
                    localecase{"en_US.UTF-8", always, ""}, localecase{"zu_ZA.UTF-8", always, ""}));

} // namespace

namespace {

// The build's reader of po/*.po, on a catalogue as gettext's tools write it.
class cataloguereader : public testing::Test {
  protected:
    // Runs the reader on one catalogue; its exit status, and the table or
    // the error it wrote in *output.
    int read(const std::string &po, std::string *output) const
    {
        std::filesystem::create_directories(dir.path() + "/po");
        std::ofstream(dir.path() + "/po/xx_YY.po") << po;
        const std::string command = std::string("'") + WAVESTARS_CMAKE + "' -DPODIR='" + dir.path() +
                                    "/po' -DOUTPUT='" + dir.path() + "/out.cpp' -P '" + WAVESTARS_CATALOGUE_SCRIPT +
                                    "' >'" + dir.path() + "/log' 2>&1";
        const int status = std::system(command.c_str()); // NOLINT(cert-env33-c): cmake is a command
        std::ifstream in(dir.path() + (status == 0 ? "/out.cpp" : "/log"));
        *output = std::string(std::istreambuf_iterator<char>(in), {});
        return status;
    }
    tempdir dir;
};

// Each byte as the table writes it.
std::string escaped(const std::string &text)
{
    std::string out;
    char byte[5];
    for (const char c : text) {
        (void)std::snprintf(byte, sizeof byte, "\\x%02x", static_cast<unsigned char>(c));
        out += byte;
    }
    return out;
}

TEST_F(cataloguereader, joinsstringssplitoverlinesandreadstheirescapes)
{
    std::string table;
    ASSERT_EQ(read("msgid \"\"\nmsgstr \"\"\n\"Language: xx_YY\\n\"\n\n"
                   "# a translator's comment\n#, c-format\nmsgid \"\"\n\"first \"\n\"second\"\n"
                   "msgstr \"\"\n\"eins \"\n\"zwei \\\"drei\\\" \\\\ vier\"\n",
                   &table),
              0)
        << table;
    EXPECT_NE(table.find(escaped("first second")), std::string::npos) << table;
    EXPECT_NE(table.find(escaped("eins zwei \"drei\" \\ vier")), std::string::npos) << table;
}

TEST_F(cataloguereader, stopsthebuildatalineitcannotread)
{
    std::string log;
    EXPECT_NE(read("msgctxt \"menu\"\nmsgid \"open\"\nmsgstr \"offen\"\n", &log), 0);
    EXPECT_NE(log.find("xx_YY.po:1: cannot read this line"), std::string::npos) << log;
    EXPECT_NE(read("msgid \"open\"\nmsgstr \"\\u00f6ffnen\"\n", &log), 0);
    EXPECT_NE(log.find("xx_YY.po:1: an escape"), std::string::npos) << log;
}

} // namespace
