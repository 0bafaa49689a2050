// Which hint a start of the program gets, from where it is: each case as
// a user meets it, on Linux and on Windows.

#include "hints.h"

#include "messages.h"

#include <gtest/gtest.h>

namespace {

struct hintcase {
    const char *name;
    whereabouts where;
    bool missing;
    std::vector<std::string> lines;
};

void PrintTo(const hintcase &c, std::ostream *os)
{
    *os << c.name;
}

whereabouts installed(const std::string &current)
{
    whereabouts where;
    where.currentfolder = current;
    where.programpath = "/usr/bin/wavestars";
    where.typedname = "wavestars";
    where.samplefolder = "/usr/share/wavestars";
    return where;
}

const char *const temp = "C:\\Users\\me\\AppData\\Local\\Temp";

whereabouts onwindows(const std::string &current, const std::string &program, bool owned, bool sample)
{
    whereabouts where;
    where.windows = true;
    where.owned = owned;
    where.currentfolder = current;
    where.programpath = program + "\\wavestars.exe";
    where.samplefolder = sample ? program : "";
    where.tempfolder = temp;
    return where;
}

whereabouts witharguments(whereabouts where, std::vector<std::string> arguments)
{
    where.arguments = std::move(arguments);
    return where;
}

const std::string downloads = "C:\\Users\\me\\Downloads\\wavestars-1.0.0-win64";
const std::string zipped = std::string(temp) + "\\Temp1_wavestars-1.0.0-win64.zip\\wavestars-1.0.0-win64";
const std::string extract = "it was started inside wavestars-1.0.0-win64.zip, without its sample: extract the whole "
                            "zip first (Extract All), then double-click wavestars.exe in the extracted folder";

std::vector<hintcase> hintcases()
{
    whereabouts moved = installed("/home/me");
    moved.programpath = "/opt/my sound's/usr/bin/wavestars";
    moved.typedname = ""; // started by its path
    moved.samplefolder = "/opt/my sound's/usr/share/wavestars";
    whereabouts buildtree = installed("/home/me");
    buildtree.samplefolder = "";
    whereabouts noproc = installed("/home/me");
    noproc.programpath = noproc.samplefolder = noproc.typedname = "";
    whereabouts shorttemp = onwindows("C:\\Windows\\System32", zipped, true, false);
    shorttemp.tempfolder = "c:\\users\\me\\appdata\\local\\temp\\"; // another case, and a trailing backslash
    const std::string notread = "the program reads only Alarm02.wav, in the folder it starts in, and did not read ";
    return {
        {"installed",
         installed("/home/me"),
         true,
         {"the sample that came with it is in /usr/share/wavestars; to draw it: cd /usr/share/wavestars && wavestars"}},
        {"installedshortfile", installed("/home/me"), false, {}},
        {"movedandstartedbypath",
         moved,
         true,
         {"the sample that came with it is in /opt/my sound's/usr/share/wavestars; to draw it: cd '/opt/my "
          "sound'\\''s/usr/share/wavestars' && '/opt/my sound'\\''s/usr/bin/wavestars'"}},
        {"buildtree", buildtree, true, {}},
        {"noproc", noproc, true, {}},
        {"sharedconsoleelsewhere",
         onwindows("D:\\", "C:\\Program Files\\wavestars", false, true),
         true,
         {"the sample that came with it is in C:\\Program Files\\wavestars; to draw it: cd /d \"C:\\Program "
          "Files\\wavestars\" && wavestars.exe"}},
        {"sharedconsolenosample", onwindows("D:\\", "C:\\tools", false, false), true, {}},
        {"doubleclickedsampledeleted",
         onwindows(downloads, downloads, true, false),
         true,
         {"looked in " + downloads + "; put a WAVE file named Alarm02.wav there and start again"}},
        {"doubleclickedotherletters",
         onwindows("c:\\users\\ME\\downloads\\wavestars-1.0.0-win64\\", downloads, true, false),
         true,
         {"looked in c:\\users\\ME\\downloads\\wavestars-1.0.0-win64\\; put a WAVE file named Alarm02.wav there "
          "and start again"}},
        {"runasadministrator",
         onwindows("C:\\Windows\\System32", downloads, true, true),
         true,
         {"started in C:\\Windows\\System32, not in its own folder " + downloads,
          "its own folder holds the sample Alarm02.wav: double-click wavestars.exe there to draw it"}},
        {"shortcutelsewherenosample",
         onwindows("D:\\music", "C:\\tools", true, false),
         true,
         {"started in D:\\music, not in its own folder C:\\tools",
          "put a WAVE file named Alarm02.wav in its own folder and double-click wavestars.exe there"}},
        {"insidezip", onwindows(zipped, zipped, true, false), true, {extract}},
        {"insidezipothercaseoftemp", shorttemp, true, {extract}},
        {"insidezipwithatokenfortemp",
         onwindows(zipped, std::string(temp) + "\\Temp{5e2a}_wavestars-1.0.0-win64.zip\\wavestars-1.0.0-win64", true,
                   false),
         true,
         {extract}},
        {"zipnameelsewhere", onwindows("D:\\", "D:\\Temp1_a.zip\\b", false, false), true, {}},
        {"namedanddrawn",
         witharguments(installed("/home/me"), {"bell.wav"}),
         false,
         {notread + "bell.wav", "to draw a file, copy it as Alarm02.wav into /home/me and start wavestars there"}},
        {"namedandmissing",
         witharguments(installed("/home/me"), {"bell.wav", "铃声.wav"}),
         true,
         {notread + "bell.wav, 铃声.wav",
          "to draw a file, copy it as Alarm02.wav into /home/me and start wavestars there"}},
        {"namedinthesamplesfolder",
         witharguments(installed("/usr/share/wavestars/"), {"bell.wav"}),
         false,
         {notread + "bell.wav",
          "to draw a file, copy it as Alarm02.wav into a folder of your own and start wavestars there"}},
        {"droppedonitsownconsole",
         witharguments(onwindows("C:\\Windows\\System32", downloads, true, true), {"D:\\bell.wav"}),
         false,
         {notread + "D:\\bell.wav",
          "to draw a file, copy it as Alarm02.wav into " + downloads + " and start wavestars there"}},
        {"droppedinsidezip",
         witharguments(onwindows(zipped, zipped, true, false), {"D:\\bell.wav"}),
         true,
         {notread + "D:\\bell.wav", extract}},
    };
}

class hinting : public testing::TestWithParam<hintcase> {
  protected:
    void SetUp() override
    {
        chooselanguage("C", [](const std::string &) { return true; });
    }
};

TEST_P(hinting, leadstoapicture)
{
    EXPECT_EQ(hints(GetParam().where, GetParam().missing), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(starts, hinting, testing::ValuesIn(hintcases()),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(shellword, quotesonlywhatashellwouldread)
{
    const struct {
        const char *text;
        bool windows;
        const char *word;
    } cases[] = {
        {"/usr/share/wavestars", false, "/usr/share/wavestars"},
        {"/home/me/声音", false, "/home/me/声音"},
        {"/tmp/a b", false, "'/tmp/a b'"},
        {"/tmp/it's", false, "'/tmp/it'\\''s'"},
        {"/tmp/$HOME", false, "'/tmp/$HOME'"},
        {"", false, "''"},
        {"C:\\tools", true, "C:\\tools"},
        {"C:\\Program Files\\wavestars", true, "\"C:\\Program Files\\wavestars\""},
        {"D:\\rock&roll", true, "\"D:\\rock&roll\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(shellword(c.text, c.windows), c.word) << c.text;
}

} // namespace
