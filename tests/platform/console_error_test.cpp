// Console frame lines on a terminal and off it; error reports on standard error; the no-display refusal.
#include "platform/platform.h"
#include "support/gl_test_context.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Runs `write` with standard output on `fd` and returns what arrived at `readEnd`.
template <typename Write>
std::string captureStdoutOn(int fd, int readEnd, Write write) {
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    write();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string text;
    fcntl(readEnd, F_SETFL, O_NONBLOCK);
    char buffer[256];
    ssize_t got;
    while ((got = read(readEnd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(got));
    }
    return text;
}

TEST(Console, FrameLinesOnATerminal) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios raw;
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    struct Case {
        const char* text;
        bool enabled;
        std::string expected;
    };
    const Case cases[] = {
        {" 02:52.000 \n 172000 \n", true, "\x1b[H 02:52.000 \x1b[K\n 172000 \x1b[K\n"},
        {"a\nb", true, "\x1b[Ha\x1b[K\nb\x1b[K"},
        {"", true, "\x1b[H"},
        {"hidden\n", false, ""},
    };
    for (const Case& c : cases) {
        consoleSetFrameLinesEnabled(c.enabled);
        bool terminal = false;
        std::string written = captureStdoutOn(slave, master, [&] {
            terminal = consoleIsTerminal();
            consoleWriteFrameLines(c.text);
        });
        EXPECT_TRUE(terminal);
        EXPECT_EQ(written, c.expected) << "text " << c.text;
    }
    consoleSetFrameLinesEnabled(true);
    close(slave);
    close(master);
}

TEST(Console, NothingWhenNotATerminal) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    bool terminal = true;
    std::string written = captureStdoutOn(ends[1], ends[0], [&] {
        terminal = consoleIsTerminal();
        consoleWriteFrameLines(" 00:00.000 \n 0 \n");
    });
    EXPECT_FALSE(terminal);
    EXPECT_EQ(written, "");
    close(ends[0]);
    close(ends[1]);
}

TEST(ErrorReport, TextGoesToStandardErrorWithoutABoxHeadless) {
    useHeadlessDrivers();
    testing::internal::CaptureStderr();
    showErrorBox("Resource \"bg2.png\" not found");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Resource \"bg2.png\" not found\n");
}

TEST(ErrorReportDeathTest, FatalErrorExitsWith255) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    useHeadlessDrivers();
    EXPECT_EXIT(fatalError("Resource file \"tomblora.salad\" not found"), testing::ExitedWithCode(255),
                "Resource file \"tomblora.salad\" not found");
}

TEST(VideoDeathTest, FallbackWithoutADisplayIsRefused) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto initWithoutDisplay = [] {
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        std::exit(platformInitVideo() ? 1 : 0);
    };
    EXPECT_EXIT(initWithoutDisplay(), testing::ExitedWithCode(0), "no display: .*tomblora-capture");
}

} // namespace
