// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a ".SLV" file from the desktop starts the desktop program with the file. Registered at every start
// the freedesktop way, under the user's data folder: a MIME type that matches *.SLV and *.slv
// (mime/packages/) and a desktop entry that runs the program with the file (applications/). Writing the
// same files again leaves them byte for byte as they were.
#pragma once

#include <string>

#include "base/seams.h"

namespace salvora {

inline constexpr const char* kAssociationFailed = "Could not create or open a registrty key.";
inline constexpr const char* kLogMimeType = "application/x-quillwort-salvora-log";
inline constexpr const char* kLogMimeFile = "mime/packages/quillwort-salvora-log.xml";
inline constexpr const char* kLogDesktopFile = "applications/quillwort-salvora-log.desktop";

struct AssociationPaths {
    std::string executable; // the running program's full path
    std::string dataHome;   // $XDG_DATA_HOME, or ~/.local/share
};

// The running program's full path; empty when the system does not say.
std::string runningExecutable();

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share; empty when neither is known.
std::string userDataHome();

// The two files' contents.
std::string logMimeDefinition();
std::string logDesktopEntry(const std::string& executable);

struct AssociationResult {
    int failedSteps = 0; // each said once through the prompter
};

// Writes the MIME definition, then the desktop entry; a step that fails says kAssociationFailed once and the
// next step is still tried. With updateCaches, the desktop's MIME and desktop-entry caches are refreshed
// when their tools are installed; their absence or failure is not an error.
AssociationResult RegisterLogAssociation(const AssociationPaths& paths, Prompter& prompter,
                                         bool updateCaches = true);

} // namespace salvora
