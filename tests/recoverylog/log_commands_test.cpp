// SPDX-License-Identifier: GPL-3.0-or-later
// The refusals of Save Log and Load Log and the offer to save the log on closing, case by case.
#include <gtest/gtest.h>

#include "recoverylog/log_commands.h"
#include "recoverylog/recovery_log_reader.h"
#include "recoverylog/recovery_log_writer.h"

namespace salvora {
namespace {

TEST(LogCommands, SaveLogNeedsAFinishedResult) {
    EXPECT_EQ(refuseSaveLog({}), kSaveLogNeedsScan);
    EXPECT_EQ(refuseSaveLog({true, true, false}), kSaveLogWhileScanning);
    EXPECT_EQ(refuseSaveLog({true, false, false}), std::nullopt);
}

TEST(LogCommands, LoadLogOnlyIntoAnEmptyWindow) {
    EXPECT_EQ(refuseLoadLog({}), std::nullopt);
    EXPECT_EQ(refuseLoadLog({true, false, false}), kLoadLogNotNow);
    EXPECT_EQ(refuseLoadLog({true, true, false}), kLoadLogWhileScanning);
    EXPECT_EQ(refuseLoadLog({false, true, false}), kLoadLogWhileScanning);
}

TEST(LogCommands, ClosingOffersToSaveAnUnsavedResultOnly) {
    RecoveryLogState log;
    EXPECT_TRUE(offerLogOnClose({true, false, false}, log));
    EXPECT_FALSE(offerLogOnClose({false, false, false}, log));
    EXPECT_FALSE(offerLogOnClose({true, true, false}, log));
    EXPECT_FALSE(offerLogOnClose({true, false, true}, log));
    log.logSaved = true;
    EXPECT_FALSE(offerLogOnClose({true, false, false}, log));
}

} // namespace
} // namespace salvora
