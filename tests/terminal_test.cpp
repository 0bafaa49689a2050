// Runs the program in a real terminal (tmux) and reads what the screen
// shows, in a UTF-8 locale and in the C locale.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Runs a shell command and gives what it printed; status in *status.
std::string shell(const std::string &command, int *status = nullptr)
{
    std::string out;
    FILE *pipe = popen((command + " 2>/dev/null").c_str(), "r"); // NOLINT(cert-env33-c): tmux is driven by commands
    if (pipe == nullptr)
        return out;
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    const int result = pclose(pipe);
    if (status != nullptr)
        *status = result;
    return out;
}

std::string crlf(const std::string &text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// One command run in a detached tmux session of its own, in dir; everything
// it writes is also copied, byte for byte, to raw, and its exit status goes
// to the file status.
class terminal {
  public:
    terminal(const tempdir &dir, const std::string &command, int columns = 220)
        : tmux_("tmux -f /dev/null -L " + socketname() + " "), raw_(dir.path() + "/raw"),
          status_(dir.path() + "/status")
    {
        // The command waits for a line first, so that the copy is in
        // place before it writes anything.
        const std::string script =
            "read go; cd " + shellquote(dir.path()) + " && " + command + "; echo $? > " + shellquote(status_);
        (void)std::remove(status_.c_str()); // a status from an earlier run in the same folder
        int created = -1;
        shell(tmux_ + "new-session -d -s run -x " + std::to_string(columns) + " -y 50 " +
                  shellquote("sh -c " + shellquote(script)),
              &created);
        started_ = created == 0;
        shell(tmux_ + "set-option -t run remain-on-exit on"); // keeps the last screen to read
        shell(tmux_ + "pipe-pane -t run -o " + shellquote("cat > " + shellquote(raw_)));
        shell(tmux_ + "send-keys -t run Enter");
    }
    ~terminal() { shell(tmux_ + "kill-server"); }
    terminal(const terminal &) = delete;
    terminal &operator=(const terminal &) = delete;

    bool started() const { return started_; }
    std::string screen() const { return shell(tmux_ + "capture-pane -p -J -S - -t run"); }
    // The screen's lines as shown, a wrapped line as two.
    std::string lines() const { return shell(tmux_ + "capture-pane -p -S - -t run"); }
    std::string raw() const
    {
        std::ifstream in(raw_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int cursorcolumn() const { return std::stoi(shell(tmux_ + "display -p -t run '#{cursor_x}'")); }
    bool running() const { return shell(tmux_ + "display -p -t run '#{pane_dead}'") == "0\n"; }
    void type(const std::string &keys) const { shell(tmux_ + "send-keys -t run " + shellquote(keys) + " Enter"); }
    // The command's exit status, or -1 while it runs.
    int status() const
    {
        std::ifstream in(status_);
        int value = -1;
        in >> value;
        return in ? value : -1;
    }

    // Polls until seen() holds; false after limit.
    template <typename condition>
    bool waitfor(condition seen, std::chrono::seconds limit = 20s) const
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!seen() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        return seen();
    }

  private:
    // A server of its own for each terminal: a new session on the socket of
    // one just killed may meet that server on its way out, and fail.
    static std::string socketname()
    {
        static int made = 0;
        return "wavestars-test-" + std::to_string(getpid()) + "-" + std::to_string(++made);
    }

    std::string tmux_;
    std::string raw_;
    std::string status_;
    bool started_ = false;
};

// The native build, started in locale, through its loader if it has one.
std::string inlocale(const std::string &locale)
{
    const std::string loader = runner().empty() ? "" : shellquote(runner()) + " ";
    return "env LC_ALL=" + locale + " LANG=" + locale + " " + loader + shellquote(WAVESTARS_EXE);
}

const char *const utf8prompt = "出现的数字代表星星的数量，输入任意值结束程序";
const char *const utf8labels[7] = {"文件大小为  ：", "音频通道数  ：", "采样频率    ：", "Byte率      ：",
                                   "样本位数    ：", "音频数据大小：", "总计打印行数："};

// The seven lines on screen as label then value, every value in column 14,
// and the cursor after the prompt.
void expectsummary(const terminal &term, const std::vector<std::string> &values)
{
    EXPECT_EQ(term.cursorcolumn(), 44) << "the prompt is 22 characters of two columns each";
    const std::string screen = term.screen();
    for (std::size_t i = 0; i < 7; ++i) {
        const std::string line = std::string(utf8labels[i]) + values.at(i) + "\n";
        EXPECT_NE(screen.find(line), std::string::npos) << "no line " << line << "on screen:\n" << screen;
        EXPECT_EQ(expected::columns(utf8labels[i]), 14u) << utf8labels[i];
    }
}

class realterminal : public testing::Test {
  protected:
    void SetUp() override
    {
        if (shell("command -v tmux").empty())
            WAVESTARS_SKIP("tmux is not installed");
        dir.writewave(makewave(spacedsamples(std::vector<std::int16_t>(300, 8000), std::size_t{300} * 400)));
    }
    tempdir dir;
    const std::string summary = expected::summary({44 + 120000, 2, 44100, 176400, 16, 120000, 300});
};

TEST_F(realterminal, utf8localeshowschinesetextwithvaluesincolumnfourteen)
{
    const terminal term(dir, inlocale("C.UTF-8"));
    ASSERT_TRUE(term.started());
    const std::string row = std::string(51, ' ') + std::string(24, '*'); // 8000 is 24 % of full scale
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(row) != std::string::npos; })) << term.screen();
    EXPECT_EQ(term.screen().find(utf8prompt), std::string::npos) << "the rows came only when the plot was done";

    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
    expectsummary(term, {"120044", "2", "44100", "176400", "16", "120000", "300"});
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return !term.running(); })) << "the program did not end";
    EXPECT_EQ(term.status(), 0);
}

TEST_F(realterminal, clocalewritesthegbkbytesunchanged)
{
    const terminal term(dir, inlocale("C"));
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.waitfor([&] { return term.raw().find(expected::prompt) != std::string::npos; })) << term.raw();
    EXPECT_NE(term.raw().find(crlf(summary) + expected::prompt), std::string::npos);
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return !term.running(); })) << "the program did not end";
    EXPECT_EQ(term.status(), 0);
}

TEST_F(realterminal, chineselocaleshowsachineseerror)
{
    if (const std::string why = notmade("zh_CN.UTF-8"); !why.empty())
        WAVESTARS_SKIP(why);
    std::filesystem::remove(dir.path() + "/Alarm02.wav");
    const terminal term(dir, inlocale("zh_CN.UTF-8"));
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.waitfor([&] { return term.status() != -1; })) << term.screen();
    EXPECT_EQ(term.status(), 1);
    EXPECT_NE(term.screen().find("wavestars: ./Alarm02.wav: 文件或目录不存在\n"), std::string::npos) << term.screen();
}

// A plot whose widest row is 150 columns: 99 stars right of the axis.
std::string loudwave()
{
    return makewave(spacedsamples({0, 32767, -16000, 32767, 0}, std::size_t{5} * 400));
}

std::string fullrow()
{
    return std::string(51, ' ') + std::string(99, '*') + "\n";
}

// Two of loudwave()'s widest rows and the row between them, one line each,
// as a screen wide enough shows them.
std::string unwrappedrows()
{
    return fullrow() + std::string(2, ' ') + std::string(48, '*') + "\n" + fullrow();
}

// loudwave()'s last row, the warning and the first label, as on screen.
std::string warnedafterplot(const std::string &warning)
{
    return std::string(50, ' ') + "|\n" + warning + utf8labels[0];
}

TEST_F(realterminal, narrowpanewarnsinchineseafterthelastrow)
{
    if (const std::string why = notmade("zh_CN.UTF-8"); !why.empty())
        WAVESTARS_SKIP(why);
    dir.writewave(loudwave());
    const terminal term(dir, inlocale("zh_CN.UTF-8"), 100);
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
    const std::string warning = "wavestars: 警告：波形图需要 150 列宽，屏幕只有 100 列，较宽的行已折行\n";
    EXPECT_NE(term.screen().find(warnedafterplot(warning)), std::string::npos) << term.screen();
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return !term.running(); })) << "the program did not end";
}

// A terminal holds a row as wide as itself on one line: the cursor waits
// in the last column, and the line end moves it down once.
TEST_F(realterminal, rowaswideasthepanetakesonelineandnowarning)
{
    dir.writewave(loudwave());
    const terminal term(dir, inlocale("C.UTF-8"), 150);
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
    EXPECT_NE(term.lines().find(unwrappedrows()), std::string::npos) << term.lines();
    EXPECT_EQ(term.screen().find("warning"), std::string::npos) << term.screen();
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return !term.running(); })) << "the program did not end";
}

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The Windows build in a Wine console inside tmux, as a user of a Windows
// console sees it. .ci/windows runs these: WAVESTARS_EXE is then the .exe,
// WAVESTARS_RUNNER the Wine loader and WAVESTARS_WINESERVER its server.
class wineconsole : public testing::Test {
  public:
    static void SetUpTestSuite()
    {
        if (env("WAVESTARS_RUNNER").empty() || env("WAVESTARS_WINESERVER").empty() || shell("command -v tmux").empty())
            return;
        prefix = std::make_unique<tempdir>(); // a prefix of our own, so no other Wine run disturbs it
        // Started here, else Wine starts it inside the first pane, where it swallows keystrokes.
        shell(wine("explorer.exe /desktop") + " >/dev/null 2>&1 &");
        // The first switch to each code page in a new prefix is slow.
        shell(wine("cmd /c \"chcp 437 >NUL & chcp 936 >NUL & chcp 950 >NUL & chcp 65001 >NUL\""));
    }
    static void TearDownTestSuite()
    {
        if (prefix)
            shell("env WINEPREFIX=" + shellquote(prefix->path()) + " " + shellquote(env("WAVESTARS_WINESERVER")) +
                  " -k");
        prefix.reset();
    }

  protected:
    void SetUp() override
    {
        if (env("WAVESTARS_RUNNER").empty() || env("WAVESTARS_WINESERVER").empty())
            WAVESTARS_SKIP("needs the Windows build under Wine: bash .ci/windows");
        if (!prefix)
            WAVESTARS_SKIP("tmux is not installed");
        std::filesystem::copy_file(env("WAVESTARS_EXE"), dir.path() + "/wavestars.exe");
    }
    static std::string wine(const std::string &args, const std::string &locale = "C.UTF-8")
    {
        return "env WINEPREFIX=" + shellquote(prefix->path()) + " WINEDEBUG=-all LC_ALL=" + locale + " " +
               shellquote(env("WAVESTARS_RUNNER")) + " " + args;
    }
    static bool ended(const terminal &term) { return term.status() != -1; }

    static std::unique_ptr<tempdir> prefix;
    tempdir dir;
};

std::unique_ptr<tempdir> wineconsole::prefix;

TEST_F(wineconsole, showschineselabelsoneverycodepage)
{
    // Short: the Wine console takes about 40 ms to draw a row.
    dir.writewave(makewave(spacedsamples(std::vector<std::int16_t>(20, 8000), std::size_t{20} * 400)));
    for (const std::string page : {"437", "936", "65001"}) {
        SCOPED_TRACE("code page " + page);
        const terminal term(dir, wine("cmd /c \"chcp " + page + " >NUL & wavestars.exe\""));
        ASSERT_TRUE(term.started());
        ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
        expectsummary(term, {"8044", "2", "44100", "176400", "16", "8000", "20"});
        term.type("1");
        EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "the program did not end";
        EXPECT_EQ(term.status(), 0);
    }
}

// The folder as a Windows program under Wine names it: "Z:\\tmp\\...".
std::string windowspath(const std::string &path)
{
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

// A language of the messages under Wine, which the Unix locale chooses; it
// also sets the code page of a console of the program's own.
struct consolelanguage {
    const char *locale;
    const char *codepage;
    std::string nosuchfile; // the line for a missing file
    std::string lookedin;   // the line that names the folder, {} where it goes
    std::string pressenter;
    std::string notread; // the lines for a file named on the command line, {} for the folder
};

void PrintTo(const consolelanguage &l, std::ostream *os)
{
    *os << l.locale;
}

const consolelanguage english = {"C.UTF-8",
                                 "437",
                                 "wavestars: ./Alarm02.wav: No such file or directory",
                                 "wavestars: looked in {}; put a WAVE file named Alarm02.wav there and start again",
                                 "wavestars: press Enter to close this window",
                                 "wavestars: the program reads only Alarm02.wav, in the folder it starts in, and did "
                                 "not read 铃声 樣本.wav\nwavestars: to draw a file, copy it as Alarm02.wav into {} "
                                 "and start wavestars there"};

const consolelanguage consolelanguages[] = {
    english,
    {"zh_CN.UTF-8", "936", "wavestars: ./Alarm02.wav: 文件或目录不存在",
     "wavestars: 已在文件夹 {} 中查找；请把名为 Alarm02.wav 的 WAVE 文件放到那里，然后重新启动本程序",
     "wavestars: 按回车键关闭此窗口",
     "wavestars: 本程序只读取启动时所在文件夹中的 Alarm02.wav，没有读取 铃声 樣本.wav\nwavestars: "
     "要绘制某个文件，请把它以 Alarm02.wav 为名复制到 {}，然后在那里启动 wavestars"},
    {"zh_TW.UTF-8", "950", "wavestars: ./Alarm02.wav: 沒有此一檔案或目錄",
     "wavestars: 已在資料夾 {} 中尋找；請把名為 Alarm02.wav 的 WAVE 檔案放到那裡，然後重新啟動本程式",
     "wavestars: 按 Enter 鍵關閉此視窗",
     "wavestars: 本程式只讀取啟動時所在資料夾中的 Alarm02.wav，沒有讀取 铃声 樣本.wav\nwavestars: "
     "要繪製某個檔案，請把它以 Alarm02.wav 為名複製到 {}，然後在那裡啟動 wavestars"},
};

// What a program alone on its console writes when ./Alarm02.wav is missing
// from folder: the cause, where it looked and what to do, then the wait.
std::string missingin(const consolelanguage &l, const std::string &folder)
{
    std::string lookedin = l.lookedin;
    lookedin.replace(lookedin.find("{}"), 2, windowspath(folder));
    return l.nosuchfile + "\n" + lookedin + "\n" + l.pressenter + "\n";
}

TEST_F(wineconsole, errorwaitsforenteronlywhenaloneonitsconsole)
{
    const std::string message = "wavestars: ./Alarm02.wav: No such file or directory";
    {
        const terminal term(dir, wine("wavestars.exe")); // as if double-clicked: no shell shares the console
        ASSERT_TRUE(term.waitfor([&] { return term.screen().find("press Enter") != std::string::npos; }))
            << term.screen();
        EXPECT_NE(term.screen().find(missingin(english, dir.path())), std::string::npos) << term.screen();
        std::this_thread::sleep_for(1s);
        EXPECT_FALSE(ended(term)) << "the message vanished with its window";
        term.type("");
        EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "Enter did not close it";
        EXPECT_EQ(term.status(), 1);
    }
    {
        const terminal term(dir, wine("cmd /c wavestars.exe")); // cmd shares the console and keeps the message
        EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "waited although cmd shares the console";
        EXPECT_EQ(term.status(), 1);
        EXPECT_NE(term.screen().find(message + "\n"), std::string::npos) << term.screen();
        EXPECT_EQ(term.screen().find("press Enter"), std::string::npos) << term.screen();
        EXPECT_EQ(term.screen().find("looked in"), std::string::npos) << "a shell knows where it is";
    }
}

// The first minute of a new user: the unzipped program, double-clicked, in
// a new 120-column window, draws the sample beside it without wrapping.
TEST_F(wineconsole, doubleclickdrawsthesampleinanewwindowwithoutwrapping)
{
    const std::string sample = readfile(samplefolder() + "/Alarm02.wav");
    ASSERT_GT(sample.size(), 44u) << "no sample in " << samplefolder();
    dir.writewave(sample);
    const terminal term(dir, wine("wavestars.exe"), 120);
    ASSERT_TRUE(term.started());
    // The Wine console takes about 50 ms a row here.
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; }, 180s))
        << term.screen();
    EXPECT_EQ(term.screen().find("warning"), std::string::npos) << term.screen();
    const std::string lines = term.lines();
    const std::string rows = lines.substr(0, lines.find(utf8labels[0]));
    EXPECT_EQ(rows.find("\n\n"), std::string::npos) << "a row wrapped:\n" << rows;
    expectsummary(term, expected::numbers(expected::header(sample)));
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "the program did not end";
    EXPECT_EQ(term.status(), 0);
}

// A folder of its own holding the program and a short sound beside it, as
// an unzipped folder holds the sample.
std::string programwithsample(const tempdir &dir, const std::string &name)
{
    std::string folder = dir.path() + "/" + name;
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(dir.path() + "/wavestars.exe", folder + "/wavestars.exe");
    std::ofstream(folder + "/Alarm02.wav", std::ios::binary)
        << makewave(spacedsamples({0, 8000, -8000}, std::size_t{3} * 400));
    return folder;
}

// Runs the program alone on its console, as a double-click in its folder
// does, and checks that it draws: the prompt, then status 0.
void drawsalone(const tempdir &dir, const std::string &command)
{
    const terminal term(dir, command);
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return term.status() != -1; })) << "the program did not end";
    EXPECT_EQ(term.status(), 0);
}

// From cmd in another folder: the hint names the sample beside the exe and
// a command, which typed into cmd draws it.
TEST_F(wineconsole, fromcmdelsewherenamesthesamplebesideitandacommandthatdrawsit)
{
    const std::string folder = programwithsample(dir, "my wavestars");
    const tempdir elsewhere;
    const terminal term(elsewhere, wine("cmd /c " + shellquote(windowspath(folder) + "\\wavestars.exe")));
    ASSERT_TRUE(term.waitfor([&] { return ended(term); })) << term.screen();
    EXPECT_EQ(term.status(), 1);
    const std::string command = "cd /d \"" + windowspath(folder) + "\" && wavestars.exe";
    const std::string hint =
        "wavestars: the sample that came with it is in " + windowspath(folder) + "; to draw it: " + command + "\n";
    EXPECT_NE(term.screen().find("No such file or directory\n" + hint), std::string::npos) << term.screen();
    // Typed as it stands: a batch file is read as typed commands are.
    std::ofstream(elsewhere.path() + "/follow.bat") << command << "\r\n";
    drawsalone(elsewhere, wine("cmd /c follow.bat"));
}

// Run as administrator starts a program in System32: the hint names its
// own folder and a double-click there, never a file put into System32.
TEST_F(wineconsole, aloneelsewherenamesitsownfolderandadoubleclickthatdraws)
{
    const std::string folder = programwithsample(dir, "wavestars-1.0.0-win64");
    const terminal term(dir, "cd " + shellquote(prefix->path() + "/drive_c/windows/system32") + " && " +
                                 wine(shellquote(folder + "/wavestars.exe")));
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find("press Enter") != std::string::npos; })) << term.screen();
    EXPECT_NE(term.screen().find("No such file or directory\nwavestars: started in C:\\windows\\system32, not in "
                                 "its own folder " +
                                 windowspath(folder) +
                                 "\nwavestars: its own folder holds the sample Alarm02.wav: double-click "
                                 "wavestars.exe there to draw it\nwavestars: press Enter to close this window\n"),
              std::string::npos)
        << term.screen();
    term.type("");
    EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "Enter did not close it";
    EXPECT_EQ(term.status(), 1);
    drawsalone(dir, "cd " + shellquote(folder) + " && " + wine("wavestars.exe"));
}

// Explorer runs a program double-clicked inside a zip from a copy of it
// alone, in <temp>\Temp1_<zip>\...: the hint says to extract the zip.
TEST_F(wineconsole, insideazipsaystoextractitfirst)
{
    const std::string temp = shell(wine("cmd /c echo %TEMP%"));
    const std::string unixtemp = shell(wine("winepath -u " + shellquote(temp.substr(0, temp.find_first_of("\r\n")))));
    const std::string folder =
        unixtemp.substr(0, unixtemp.find('\n')) + "/Temp1_wavestars-1.0.0-win64.zip/wavestars-1.0.0-win64";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(dir.path() + "/wavestars.exe", folder + "/wavestars.exe",
                               std::filesystem::copy_options::overwrite_existing);
    const terminal term(dir, "cd " + shellquote(folder) + " && " + wine("wavestars.exe"));
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find("press Enter") != std::string::npos; })) << term.screen();
    EXPECT_NE(term.screen().find("No such file or directory\nwavestars: it was started inside "
                                 "wavestars-1.0.0-win64.zip, without its sample: extract the whole zip first "
                                 "(Extract All), then double-click wavestars.exe in the extracted folder\n"
                                 "wavestars: press Enter to close this window\n"),
              std::string::npos)
        << term.screen();
    term.type("");
    EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "Enter did not close it";
    std::filesystem::remove_all(folder);
}

class wineconsolelanguage : public wineconsole, public testing::WithParamInterface<consolelanguage> {
  protected:
    void SetUp() override
    {
        wineconsole::SetUp();
        if (IsSkipped())
            return;
        if (std::string(GetParam().locale) != english.locale)
            if (const std::string why = notmade(GetParam().locale); !why.empty())
                WAVESTARS_SKIP(why);
    }
};

// The messages speak the UI language on every code page, as the labels do,
// since they too go to the console as UTF-16: Traditional for Taiwan, even
// where the console's code page is GBK's. From cmd they are as ever.
TEST_P(wineconsolelanguage, errorsspeakthelanguageoneverycodepage)
{
    for (const std::string page : {"437", "936", "950", "65001"}) {
        SCOPED_TRACE("code page " + page);
        const terminal term(dir, wine("cmd /c \"chcp " + page + " >NUL & wavestars.exe\"", GetParam().locale));
        EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "waited although cmd shares the console";
        EXPECT_EQ(term.status(), 1);
        EXPECT_NE(term.screen().find(GetParam().nosuchfile + "\n"), std::string::npos) << term.screen();
        EXPECT_EQ(term.screen().find(GetParam().pressenter), std::string::npos) << term.screen();
    }
}

// A double-clicked program names a folder named in Chinese whole, in the
// console's code page for the locale: it goes to the console as UTF-16.
TEST_P(wineconsolelanguage, missingfilenamesitsfolderinanyscript)
{
    const tempdir elsewhere;
    const terminal shows(elsewhere, wine("cmd /c chcp", GetParam().locale));
    ASSERT_TRUE(shows.waitfor([&] { return ended(shows); }));
    // "Active code page: 936", in the locale's words.
    EXPECT_NE(shows.screen().find(std::string(": ") + GetParam().codepage + "\n"), std::string::npos) << shows.screen();

    const std::string folder = dir.path() + "/波形图 樣本";
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(dir.path() + "/wavestars.exe", folder + "/wavestars.exe");
    const terminal term(dir, "cd " + shellquote(folder) + " && " + wine("wavestars.exe", GetParam().locale));
    const std::string lines = missingin(GetParam(), folder);
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(lines) != std::string::npos; })) << term.screen();
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(ended(term)) << "the message vanished with its window";
    term.type("");
    EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "Enter did not close it";
    EXPECT_EQ(term.status(), 1);
}

// A file named on the command line, in any script, is named whole in the
// note, which comes after the last row and stays beside the summary.
TEST_P(wineconsolelanguage, namedfileisnotreadandthenotenamesitwhole)
{
    dir.writewave(makewave(spacedsamples({0, 8000, 0}, std::size_t{3} * 400)));
    std::string note = GetParam().notread;
    note.replace(note.find("{}"), 2, windowspath(dir.path()));
    for (const std::string page : {"936", "950"}) {
        SCOPED_TRACE("code page " + page);
        const terminal term(
            dir, wine("cmd /c chcp " + page + " '>NUL' '&' wavestars.exe '铃声 樣本.wav'", GetParam().locale));
        ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
        const std::string lastrow = std::string(50, ' ') + "|\n";
        EXPECT_NE(term.screen().find(lastrow + note + "\n" + utf8labels[0]), std::string::npos) << term.screen();
        term.type("1");
        EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "the program did not end";
        EXPECT_EQ(term.status(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(uilanguages, wineconsolelanguage, testing::ValuesIn(consolelanguages), [](const auto &param) {
    std::string name = param.param.locale;
    return name.substr(0, name.find('.')); // C, zh_CN, zh_TW
});

// Wine's console in a terminal wraps at the terminal's width, whatever its
// buffer's, so the program warns and leaves it alone. Like a Windows
// console, it moves to the next line on writing the last column: a row as
// wide as the pane leaves an empty line after it, so 150 columns are one
// too few for the widest row.
TEST_F(wineconsole, terminalconsolewarnswhereawidestrowwouldwrapandneveraddsemptylines)
{
    dir.writewave(loudwave());
    const struct {
        int columns;
        bool warns;
    } cases[] = {{100, true}, {150, true}, {151, false}, {220, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " columns");
        const terminal term(dir, wine("wavestars.exe"), c.columns);
        ASSERT_TRUE(term.started());
        ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
        const std::string warning = "wavestars: warning: rows wrapped: the plot needs 151 columns, the screen has " +
                                    std::to_string(c.columns) + "\n";
        const std::string screen = term.screen();
        EXPECT_EQ(screen.find(warning) != std::string::npos, c.warns) << screen;
        if (c.warns) {
            EXPECT_NE(screen.find(warnedafterplot(warning)), std::string::npos) << screen;
        } else {
            EXPECT_NE(term.lines().find(unwrappedrows()), std::string::npos) << term.lines();
        }
        term.type("1");
        EXPECT_TRUE(term.waitfor([&] { return ended(term); })) << "the program did not end";
        EXPECT_EQ(term.status(), 0);
    }
}

} // namespace
