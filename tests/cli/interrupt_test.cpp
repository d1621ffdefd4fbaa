// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <csignal>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/terminal_progress.h"

namespace salvora::cli {
namespace {

TEST(StopOnInterrupt, CtrlCSetsTheStopFlagWhileInstalled) {
    StopFlag stop{false};
    {
        StopOnInterrupt interrupt(stop);
        std::raise(SIGINT);
        EXPECT_TRUE(stop.load());
    }
    // Afterwards SIGINT is back to its default action (it would end the process): it is not raised here.
    struct sigaction current {};
    sigaction(SIGINT, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

TEST(TerminalProgress, SilentWhenStderrIsNotATerminal) {
    std::ostringstream err;
    TerminalProgress progress(err, false);
    progress.setStatus("Searching");
    progress.setRange(0, 100);
    progress.setPosition(50);
    progress.finish();
    EXPECT_TRUE(err.str().empty());
}

TEST(TerminalProgress, ShowsStatusAndPercentage) {
    std::ostringstream err;
    TerminalProgress progress(err, true);
    progress.setStatus("Searching Lost Directories. Please wait...");
    progress.setRange(1000, 2000);
    progress.setStatus("scan");
    progress.setPosition(1500);
    progress.setStatus("scan");
    EXPECT_NE(err.str().find("scan  50%"), std::string::npos) << err.str();
    EXPECT_EQ(durationText(65), "1:05");
    EXPECT_EQ(durationText(3723), "1:02:03");
}

} // namespace
} // namespace salvora::cli
