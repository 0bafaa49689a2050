#include "messages.h"

#include "catalogue.h"
#include "expected.h"

#include <gtest/gtest.h>

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

class messages : public testing::Test {
  protected:
    void TearDown() override { chooselanguage("C", always); }
};

TEST_F(messages, everycatalogueholdseverymessagewiththesameslots)
{
    ASSERT_TRUE(catalogues().count("zh_CN")) << "no Chinese catalogue was built in";
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

// Standard error may be in GBK: every Chinese text must have a place there.
TEST_F(messages, everychinesetextconvertstogbk)
{
    try {
        (void)expected::convert("", "UTF-8", "GBK");
    } catch (const expected::noconverter &) {
        GTEST_SKIP() << "this C library has no GBK converter";
    }
    for (std::size_t i = 0; i < translationcount; ++i)
        EXPECT_NO_THROW((void)expected::convert(translations[i].text, "UTF-8", "GBK"));
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
                    localecase{"zh_SG.UTF-8", always, "zh_CN"}, localecase{"zh_TW.UTF-8@latin", always, "zh_CN"},
                    localecase{"zh_CN.UTF-8", never, ""}, // standard error cannot show it
                    localecase{"C", always, ""}, localecase{"POSIX", always, ""}, localecase{"", always, ""},
                    localecase{"en_US.UTF-8", always, ""}, localecase{"zu_ZA.UTF-8", always, ""}));

} // namespace
