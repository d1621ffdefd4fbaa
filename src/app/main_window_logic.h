// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window decides, apart from how it looks: the five recovery modes with their texts, the
// launch rules of the Go buttons, the exit question, and the clean-up of the temporary copies at exit.
#pragma once

#include <array>
#include <string>

#include "app/session.h"
#include "volumes/disk_record.h"

namespace salvora {

struct ModeEntry {
    SearchMode mode;
    int goButtonId;
    const char* label;
    const char* description;
    const char* tooltip;
    bool hidden; // Video Search is reachable only through its hidden button
};

// In the order the main window shows them.
inline constexpr std::array<ModeEntry, 5> kModeEntries{{
    {SearchMode::Basic, 1000, "Basic Search",
     "Basic Search is quick and recovers data in most common data loss cases on the basis of fundamental "
     "partition parameters.",
     "Start with 'Basic Search' mode", false},
    {SearchMode::Deep, 1001, "Deep Search",
     "Deep Search thoroughly scans the storage media to recover data even in complicated data loss cases. "
     "Deep Search may be slower than Basic Search.",
     "Start with 'Deep Search' mode", false},
    {SearchMode::Photo, 1002, "Photo Search",
     "This mode uses signature search algorithm to find individual photo file regardless of file system "
     "structure of storage media.",
     "Start with 'Photo Search' mode", false},
    {SearchMode::Signature, 1241, "Signature Search",
     "This mode uses signature search algorithm to find different file types regardless of file system "
     "structure of storage media.",
     "Start with 'Signature Search' mode", false},
    {SearchMode::Video, 1003, "Video Search",
     "Video Search mode searched for lost videos using signature search algorithm regardless of file "
     "system structure of storage media.",
     "Start with 'Video Search' mode", true},
}};

inline constexpr const char* kProductName = "Quillwort Salvora";
inline constexpr const char* kExitQuestion = "Do you want to exit from Quillwort Salvora?";
inline constexpr const char* kPleaseWaitText = "Loading required information. Please wait...";
inline constexpr const char* kSplashText = "Loading required information.\nPlease wait...";
inline constexpr int kPleaseWaitTimerMs = 80;
inline constexpr int kSplashTimerMs = 2000;

// The main window's own state across mode windows.
struct MainWindowState {
    int SearchMode = 0; // 0 at start, then the last mode chosen
    bool modeWindowOpen = false;
    bool basicLogLoading = false;
    bool deepLogLoading = false;
    std::string commandLineArgument;
};

// A Go button of mode m. Returns true when the caller must launch the mode window: no log is loading and
// no mode window is open. On launch the scan tables are emptied and the command-line argument is
// forgotten; Basic and Deep Search also start from a fresh found-item model.
bool requestModeLaunch(MainWindowState& state, Session& session, SearchMode mode);
// The mode window closed: the main window is idle again.
void modeWindowClosed(MainWindowState& state);

// Our private folder for temporary copies inside the system's temporary directory: created with mode 0700
// when missing. Empty when it cannot be made or is not ours.
std::string privateTemporaryFolder();
// Deletes every file directly in folder whose name contains "QFX" (subfolders are not entered, other
// files are kept). Returns how many were deleted.
int removeTemporaryCopies(const std::string& folder);

} // namespace salvora
