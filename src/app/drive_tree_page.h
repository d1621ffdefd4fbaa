// SPDX-License-Identifier: GPL-3.0-or-later
// The first page every mode window opens on: the drive tree ("My Computer", "Physical Drives", "Logical
// Drives"), the information panel of the selected node, "Refresh Tree", the no-device check and the
// attaching of image files. The decisions live here; the window only shows what this page holds and
// forwards the user's actions.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/session.h"
#include "base/result.h"
#include "base/seams.h"
#include "volumes/drive_panels.h"

namespace salvora {

inline constexpr const char* kSelectDriveHint = "Select drive to start recovery...";
inline constexpr const char* kRefreshRefused =
    "Disk scanning process is in progress.\n\nYou can refresh the list of Drives only before starting the "
    "scanning process.";

// The texts of the no-device dialog.
struct NoDeviceTexts {
    static constexpr const char* heading =
        "Quillwort Salvora could not find any Memory Card or other USB mass "
        "storage connected to your Computer.";
    static constexpr const char* first =
        "1. Make sure that your storage media (e.g. your memory card reader device having memory card "
        "inserted in it correctly) is connected to your computer properly and you have sufficient user "
        "access privileges of your computer to run software on it.";
    static constexpr const char* second =
        "2. If you are using USB hub to connect multiple USB devices to your PC, Please remove USB hub from "
        "your PC and try connecting your storage media directly to the USB Port of your Computer.";
    static constexpr const char* retryButton = "Retry";
    static constexpr const char* exitButton = "Exit";
};

// The texts of the whole-medium dialog Basic Search shows for "Next" on a whole disk.
struct WholeMediumTexts {
    static constexpr const char* text =
        "Please select the Partition to start searching for lost data or use search more partitions option "
        "to find the missing or deleted partitions.\n\nBesides this, you can also use the advanced search "
        "mode of Quillwort - Recovery to select Entire Drive or Custom Disk Range or even cross File System "
        "selection to search the missing data.";
    static constexpr const char* acceptButton = "Search Entire Drive as a single Partition";
    static constexpr const char* cancelButton = "OK, Go Back";
};

// The dialogs of device absence and whole-medium scans, as the front end shows them.
class DeviceDialogs {
public:
    virtual ~DeviceDialogs() = default;
    // Shows the no-device dialog modally. Each "Retry" calls retry(), which relists the drives and returns
    // true when a device was found: the dialog then closes and this returns true. "Exit" or closing the
    // dialog returns false.
    virtual bool runNoDevice(const std::function<bool()>& retry) = 0;
    // While the no-device dialog is up, other checks treat that as the absence of any device.
    virtual bool noDeviceVisible() const { return false; }
    // True for "Search Entire Drive as a single Partition", false for "OK, Go Back".
    virtual bool confirmWholeMediumScan() = 0;
};

class DriveTreePage {
public:
    DriveTreePage(Session& session, SearchMode mode);

    SearchMode mode() const { return m_mode; }
    const DriveTree& tree() const { return m_tree; }
    // The searches for lost partitions add their finds to the window's tree.
    DriveTree& tree() { return m_tree; }
    const DriveTreeRoots& roots() const { return m_roots; }
    // The panel beside the tree; empty with the hint shown when nothing with a panel is selected.
    const NodeSelection& selection() const { return m_selection; }
    bool hintVisible() const { return m_hintVisible; }
    // Deep Search: the "Recognised" volume selected below a logical drive, whose found-volumes panel is shown
    // in place of the drive panel, with the sector range it sets. Empty for any other selection.
    const std::optional<RecognisedSelection>& recognised() const { return m_recognised; }

    // Opening the window: the three fixed nodes, the listing, and the no-device check when nothing was
    // found. False when the user left the no-device dialog with "Exit": the window closes.
    bool open(DeviceDialogs& dialogs);

    enum class RefreshResult { Refused, Listed, Exit };
    // "Refresh Tree": refused with a message once recovered items are listed or while work runs;
    // otherwise the tree is rebuilt from scratch and checked for devices again.
    RefreshResult refresh(Prompter& prompter, DeviceDialogs& dialogs);

    // Basic and Deep Search search the removable disks of a new listing that have no partition by themselves;
    // the window runs the search on a worker after open() or a refresh. The result messages go through the
    // prompter, and the last disk's first partition is selected.
    bool automaticPartitionSearchDue() const;
    void runAutomaticPartitionSearch(ProgressSink& progress, Prompter& prompter, const StopFlag& stop);

    // The no-device check after a listing that found nothing. False only for "Exit".
    bool CheckDevicePresent(DeviceDialogs& dialogs);

    // Selecting a node: the panel and what the selection records in the session.
    const NodeSelection& select(NodeId node);

    bool bothBranchesEmpty() const;

    // Attaches an image file as a removable physical disk (or, with volume set, a logical drive) for
    // every later listing of this session. The file is checked first; nothing is attached when it cannot
    // be read.
    Result<bool> attachImage(const std::string& path, bool volume);

    // Set by the mode's later pages: recovered items are listed, or a scan, search or save runs.
    void setRecoveredItemsListed(bool listed) { m_itemsListed = listed; }
    void setWorkRunning(bool running) { m_workRunning = running; }

private:
    void rebuild();
    bool isRecognisedNode(NodeId node) const;

    Session& m_session;
    SearchMode m_mode;
    DriveTree m_tree;
    DriveTreeRoots m_roots;
    NodeSelection m_selection;
    std::optional<RecognisedSelection> m_recognised;
    bool m_hintVisible = true;
    bool m_itemsListed = false;
    bool m_workRunning = false;
};

} // namespace salvora
