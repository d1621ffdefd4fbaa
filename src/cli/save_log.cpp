// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/save_log.h"

#include <ostream>

#include "cli/commands.h"
#include "recoverylog/recovery_log_writer.h"

namespace salvora::cli {

int saveScanLog(Session& session, SearchMode mode, const std::string& path, Prompter& prompter,
                std::ostream& err) {
    std::vector<std::string> images = session.sources.diskImages;
    images.insert(images.end(), session.sources.volumeImages.begin(), session.sources.volumeImages.end());
    const RecoveryLogView view{mode, session.log.origin, session.volumes, session.tables, session.folders};
    const LogWriteResult result = WriteRecoveryLog(view, path, session.log, prompter, images);
    switch (result.status) {
    case LogWriteResult::Status::Saved:
        return kExitOk;
    case LogWriteResult::Status::NotCreated:
        err << "salvora: cannot create the log " << path << ": " << result.error << "\n";
        return kExitFailure;
    case LogWriteResult::Status::WriteFailed:
        err << "salvora: the log " << path << " is incomplete\n";
        return kExitFailure;
    }
    return kExitFailure;
}

} // namespace salvora::cli
