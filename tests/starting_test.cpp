// Every way of starting the program leads to a picture, end to end: a file
// named on the command line is not read, and says how to draw it; an
// installed program started where there is no ./Alarm02.wav names the
// sample that came with it, and the command it gives draws it.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

const std::string missing = "wavestars: ./Alarm02.wav: No such file or directory\n";

// A Windows build names folders as Wine shows them: "Z:\tmp\...".
std::string asprogramnames(const std::string &path)
{
    const char *crlf = std::getenv("WAVESTARS_CRLF");
    if (crlf == nullptr || *crlf == '\0')
        return path;
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

std::string notread(const std::string &names, const std::string &folder)
{
    return "wavestars: the program reads only Alarm02.wav, in the folder it starts in, and did not read " + names +
           "\nwavestars: to draw a file, copy it as Alarm02.wav into " + asprogramnames(folder) +
           " and start wavestars there\n";
}

std::string smallwave()
{
    return makewave(spacedsamples({0, 32767, -32768, 8000}, std::size_t{4} * 400));
}

// Standard output is the same bytes with a file named as without one; the
// note that it was not read comes once, on standard error.
TEST(namedfile, isnotreadandthenotesayshowtodrawit)
{
    const tempdir dir;
    dir.writewave(smallwave());
    const outcome plain = runprogram(dir.path(), "0\n");
    ASSERT_EQ(plain.status, 0);
    ASSERT_EQ(plain.err, "");
    const struct {
        std::vector<std::string> arguments;
        std::string names;
    } cases[] = {{{"bell.wav"}, "bell.wav"},
                 {{"铃声 樣本.wav"}, "铃声 樣本.wav"},
                 {{"a.wav", "Alarm02.wav"}, "a.wav, Alarm02.wav"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.names);
        const outcome named = runprogram(dir.path(), "0\n", {}, c.arguments);
        EXPECT_EQ(named.status, 0);
        EXPECT_EQ(named.out, plain.out);
        EXPECT_EQ(named.err, notread(c.names, dir.path()));
    }
}

TEST(namedfile, isnamedwiththeerrorwhereasthereisnofile)
{
    const tempdir dir;
    const outcome run = runprogram(dir.path(), "", {}, {"bell.wav"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, missing + notread("bell.wav", dir.path()));
}

// On a terminal the note comes after the last row, where it stays on
// screen beside the summary while the program waits.
TEST(namedfileterminal, noteisbetweenthelastrowandthesummary)
{
    const tempdir dir;
    dir.writewave(smallwave());
    const outcome piped = runprogram(dir.path(), "0\n", {"LC_ALL=C"});
    const outcome shown = runonterminal(dir.path(), 220, {"LC_ALL=C"}, {"bell.wav"});
    EXPECT_EQ(shown.status, 0);
    const std::size_t summary = piped.out.find(expected::labels[0]);
    ASSERT_NE(summary, std::string::npos) << piped.out;
    EXPECT_EQ(shown.out, piped.out.substr(0, summary) + notread("bell.wav", dir.path()) + piped.out.substr(summary));
}

// Runs command in sh, standard input empty; out and err as it wrote them.
outcome runshell(const tempdir &scratch, const std::string &command)
{
    const std::string out = scratch.path() + "/out";
    const std::string err = scratch.path() + "/err";
    // NOLINTNEXTLINE(cert-env33-c): a user's shell starts the installed program
    const int status = std::system(("(" + command + ") </dev/null >'" + out + "' 2>'" + err + "'").c_str());
    outcome result;
    result.exited = WIFEXITED(status);
    result.status = WEXITSTATUS(status);
    result.out = readfile(out);
    result.err = readfile(err);
    return result;
}

// The program installed under a prefix, which is then moved elsewhere, as
// a .tar.gz unpacked anywhere is: the program must find its sample from
// where it is, not from where it was built to go.
class installed : public testing::Test {
  protected:
    void SetUp() override
    {
        if (!runner().empty())
            WAVESTARS_SKIP("the installed layout is a Linux one, tried natively");
        const std::string first = root.path() + "/first";
        // .ci/package names the packaged tree; else install this build.
        const char *packaged = std::getenv("WAVESTARS_INSTALLED");
        const std::string install = packaged != nullptr && *packaged != '\0'
                                        ? "cp -R " + shellquote(packaged) + " " + shellquote(first)
                                        : shellquote(WAVESTARS_CMAKE) + " --install " + shellquote(WAVESTARS_BUILDDIR) +
                                              " --prefix " + shellquote(first);
        const outcome made = runshell(scratch, install);
        ASSERT_EQ(made.status, 0) << made.err;
        std::filesystem::create_directory(root.path() + "/it's moved");
        std::filesystem::rename(first, prefix);
        ASSERT_TRUE(std::filesystem::is_regular_file(prefix + "/share/wavestars/Alarm02.wav"));
    }

    // The program, started in the empty folder here in locale.
    std::string startedhere(const std::string &how, const std::string &locale = "C.UTF-8") const
    {
        return "cd " + shellquote(here.path()) + " && LC_ALL=" + locale + " PATH=" + shellquote(prefix + "/bin") +
               ":\"$PATH\" " + how;
    }

    tempdir root, here, scratch;
    const std::string prefix = root.path() + "/it's moved/p";
    const std::string samples = prefix + "/share/wavestars";
};

// What the hint says to type, from its English line.
std::string typed(const std::string &err)
{
    const std::string said = "to draw it: ";
    const std::size_t at = err.find(said);
    return at == std::string::npos ? "" : err.substr(at + said.size(), err.find('\n', at) - at - said.size());
}

std::string samplehint(const std::string &folder, const std::string &command)
{
    return missing + "wavestars: the sample that came with it is in " + folder + "; to draw it: " + command + "\n";
}

// Started on PATH the name alone starts it again; by its path, the path.
TEST_F(installed, namesitssampleandacommandthatdrawsit)
{
    const std::string sample = readfile(samples + "/Alarm02.wav");
    const std::string quotedprefix = "'" + root.path() + "/it'\\''s moved/p";
    const std::string cd = "cd " + quotedprefix + "/share/wavestars' && ";
    const std::string onpath = "PATH=" + shellquote(prefix + "/bin") + ":\"$PATH\"; ";
    const struct {
        std::string started;
        std::string command; // as the hint gives it
    } cases[] = {{"wavestars", cd + "wavestars"},
                 {shellquote(prefix + "/bin/wavestars"), cd + quotedprefix + "/bin/wavestars'"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.started);
        const outcome run = runshell(scratch, startedhere(c.started));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, samplehint(samples, c.command));
        const outcome drawn = runshell(scratch, onpath + typed(run.err));
        EXPECT_EQ(drawn.status, 0);
        EXPECT_EQ(drawn.err, "");
        EXPECT_EQ(drawn.out, expected::output(sample) + expected::prompt);
    }
}

struct hintlanguage {
    const char *locale;
    const char *charset;
    std::string lines; // in UTF-8, {} for the sample's folder, [] for how to draw it
};

void PrintTo(const hintlanguage &l, std::ostream *os)
{
    *os << l.locale;
}

class installedlanguage : public installed, public testing::WithParamInterface<hintlanguage> {};

TEST_P(installedlanguage, namesthesampleinthelanguageandcharacterset)
{
    const hintlanguage &l = GetParam();
    if (std::string(l.locale) != "C.UTF-8")
        if (const std::string why = notmade(l.locale); !why.empty())
            WAVESTARS_SKIP(why);
    std::string want = l.lines;
    want.replace(want.find("{}"), 2, samples);
    want.replace(want.find("[]"), 2, "cd '" + root.path() + "/it'\\''s moved/p/share/wavestars' && wavestars");
    const outcome run = runshell(scratch, startedhere("wavestars", l.locale));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, expected::convert(want, "UTF-8", l.charset));
}

INSTANTIATE_TEST_SUITE_P(
    installedhints, installedlanguage,
    testing::Values(hintlanguage{"C.UTF-8", "UTF-8",
                                 missing + "wavestars: the sample that came with it is in {}; to draw it: []\n"},
                    hintlanguage{"zh_CN.UTF-8", "UTF-8",
                                 "wavestars: ./Alarm02.wav: 文件或目录不存在\nwavestars: 随程序附带的示例声音在 {} "
                                 "中；要绘制它，请运行：[]\n"},
                    hintlanguage{"zh_CN.GBK", "GBK",
                                 "wavestars: ./Alarm02.wav: 文件或目录不存在\nwavestars: 随程序附带的示例声音在 {} "
                                 "中；要绘制它，请运行：[]\n"},
                    hintlanguage{"zh_TW.BIG5", "BIG5",
                                 "wavestars: ./Alarm02.wav: 沒有此一檔案或目錄\nwavestars: 隨程式附帶的範例聲音在 {} "
                                 "中；要繪製它，請執行：[]\n"}),
    [](const auto &param) {
        std::string name = param.param.locale;
        std::replace(name.begin(), name.end(), '.', '_');
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// The sample is named only where the file is missing: a file that is there
// but cannot be drawn is the user's own, and its one line says why.
TEST_F(installed, namesnosampleforafilethatistherebutcannotbedrawn)
{
    const struct {
        const char *name;
        void (*make)(const std::string &path);
        std::string err;
    } cases[] = {
        {"short", [](const std::string &path) { std::ofstream(path) << "RIFF"; },
         "file is 4 bytes, a WAVE header needs 44"},
        {"directory", [](const std::string &path) { std::filesystem::create_directory(path); },
         "is a directory, expected a regular file"},
        {"fifo", [](const std::string &path) { mkfifo(path.c_str(), 0644); }, "not a regular file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = here.path() + "/Alarm02.wav";
        std::filesystem::remove_all(file);
        c.make(file);
        const outcome run = runshell(scratch, startedhere("wavestars"));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "wavestars: ./Alarm02.wav: " + c.err + "\n");
    }
}

} // namespace
