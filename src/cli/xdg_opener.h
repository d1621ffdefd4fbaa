// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a recovered file from the command line: the desktop's opener (xdg-open) starts the application
// associated with the file; without one, the user is told where the copy is.
#pragma once

#include <iosfwd>

#include "save/open_found_file.h"

namespace salvora::cli {

class XdgOpener final : public DesktopOpener {
public:
    explicit XdgOpener(std::ostream& err) : m_err(err) {}
    // Runs xdg-open on the file and waits for it; false when it is missing or reports a failure (no
    // application for the type, no desktop session).
    bool openWithDefaultApplication(const std::string& path) override;
    // There is no program chooser outside a desktop session: says where the copy is.
    void chooseApplication(const std::string& path) override;

private:
    std::ostream& m_err;
};

} // namespace salvora::cli
