// Runs the program in a real terminal (tmux) and reads what the screen
// shows, in a UTF-8 locale and in the C locale.

#include "expected.h"
#include "runprogram.h"
#include "wavebuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string shellquote(const std::string &text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

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

// One program run in a detached tmux session of its own; everything the
// program writes is also copied, byte for byte, to raw.
class terminal {
  public:
    terminal(const tempdir &dir, const std::string &locale)
        : tmux_("tmux -f /dev/null -L wavestars-test-" + std::to_string(getpid()) + " "), raw_(dir.path() + "/raw")
    {
        // The program waits for a line first, so that the copy is in
        // place before it writes anything.
        const std::string command = "read go; cd " + shellquote(dir.path()) + " && exec env LC_ALL=" + locale +
                                    " LANG=" + locale + " " + shellquote(WAVESTARS_EXE);
        int status = -1;
        shell(tmux_ + "new-session -d -s run -x 220 -y 50 " + shellquote("sh -c " + shellquote(command)), &status);
        started_ = status == 0;
        shell(tmux_ + "pipe-pane -t run -o " + shellquote("cat > " + shellquote(raw_)));
        shell(tmux_ + "send-keys -t run Enter");
    }
    ~terminal() { shell(tmux_ + "kill-server"); }
    terminal(const terminal &) = delete;
    terminal &operator=(const terminal &) = delete;

    bool started() const { return started_; }
    std::string screen() const { return shell(tmux_ + "capture-pane -p -J -S - -t run"); }
    std::string raw() const
    {
        std::ifstream in(raw_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int cursorcolumn() const { return std::stoi(shell(tmux_ + "display -p -t run '#{cursor_x}'")); }
    bool running() const
    {
        int status = -1;
        shell(tmux_ + "has-session -t run", &status);
        return status == 0;
    }
    void type(const std::string &keys) const { shell(tmux_ + "send-keys -t run " + shellquote(keys) + " Enter"); }

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
    std::string tmux_;
    std::string raw_;
    bool started_ = false;
};

const char *const utf8prompt = "出现的数字代表星星的数量，输入任意值结束程序";
const char *const utf8labels[7] = {"文件大小为  ：", "音频通道数  ：", "采样频率    ：", "Byte率      ：",
                                   "样本位数    ：", "音频数据大小：", "总计打印行数："};

class realterminal : public testing::Test {
  protected:
    void SetUp() override
    {
        if (shell("command -v tmux").empty())
            GTEST_SKIP() << "tmux is not installed";
        dir.writewave(makewave(spacedsamples(std::vector<std::int16_t>(300, 8000), std::size_t{300} * 400)));
    }
    tempdir dir;
    const std::string summary = expected::summary({44 + 120000, 2, 44100, 176400, 16, 120000, 300});
};

TEST_F(realterminal, utf8localeshowschinesetextwithvaluesincolumnfourteen)
{
    const terminal term(dir, "C.UTF-8");
    ASSERT_TRUE(term.started());
    const std::string row = std::string(51, ' ') + std::string(24, '*'); // 8000 is 24 % of full scale
    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(row) != std::string::npos; })) << term.screen();
    EXPECT_EQ(term.screen().find(utf8prompt), std::string::npos) << "the rows came only when the plot was done";

    ASSERT_TRUE(term.waitfor([&] { return term.screen().find(utf8prompt) != std::string::npos; })) << term.screen();
    EXPECT_EQ(term.cursorcolumn(), 44) << "the prompt is 22 characters of two columns each";
    const std::string values[7] = {"120044", "2", "44100", "176400", "16", "120000", "300"};
    const std::string screen = term.screen();
    for (int i = 0; i < 7; ++i) {
        const std::string line = std::string(utf8labels[i]) + values[i] + "\n";
        EXPECT_NE(screen.find(line), std::string::npos) << "no line " << line << "on screen:\n" << screen;
        EXPECT_EQ(expected::columns(utf8labels[i]), 14u) << utf8labels[i];
    }
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return !term.running(); })) << "the program did not end";
}

TEST_F(realterminal, clocalewritesthegbkbytesunchanged)
{
    const terminal term(dir, "C");
    ASSERT_TRUE(term.started());
    ASSERT_TRUE(term.waitfor([&] { return term.raw().find(expected::prompt) != std::string::npos; })) << term.raw();
    EXPECT_NE(term.raw().find(crlf(summary) + expected::prompt), std::string::npos);
    term.type("1");
    EXPECT_TRUE(term.waitfor([&] { return !term.running(); })) << "the program did not end";
}

} // namespace
