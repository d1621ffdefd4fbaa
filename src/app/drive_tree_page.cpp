// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/drive_tree_page.h"

#include "app/attached_media.h"

namespace salvora {

DriveTreePage::DriveTreePage(Session& session, SearchMode mode) : m_session(session), m_mode(mode) {}

void DriveTreePage::rebuild() {
    m_selection = NodeSelection{};
    m_recognised.reset();
    // The volumes found inside logical drives belong to the tree they were added to.
    m_session.driveSearch.clear();
    m_roots = CreateDriveTreeRoots(m_tree);
    RefreshDriveList(
        {m_session.driveList, m_session.volumes, m_session.devices, m_tree, m_session.sources, m_mode},
        m_roots);
    m_tree.expand(m_roots.computer);
    m_tree.expand(m_roots.physical);
    m_tree.expand(m_roots.logical);
    if (!m_itemsListed)
        m_hintVisible = true;
}

bool DriveTreePage::automaticPartitionSearchDue() const {
    return (m_mode == SearchMode::Basic || m_mode == SearchMode::Deep) &&
           !m_session.driveList.PartitionlessDisks.empty() && !m_session.partitionSearch.SearchInProgress;
}

void DriveTreePage::runAutomaticPartitionSearch(ProgressSink& progress, Prompter& prompter,
                                                const StopFlag& stop) {
    if (!automaticPartitionSearchDue())
        return;
    AutomaticSearchContext context{
        m_session.volumes, m_session.devices, m_tree, m_session.driveList, m_session.partitionSearch, m_mode,
        progress,          prompter,          stop};
    PartitionSearchFinish finish = SearchPartitionlessDisks(context);
    if (m_tree.contains(finish.selectedNode))
        select(finish.selectedNode);
}

bool DriveTreePage::isRecognisedNode(NodeId node) const {
    if (!m_tree.contains(node) || m_tree.node(node).label.find("Recognised") == std::string::npos)
        return false;
    const DiskRecord* parent = m_tree.record(m_tree.node(node).parent);
    return parent && parent->isLogicalDrive();
}

bool DriveTreePage::bothBranchesEmpty() const {
    return !m_tree.contains(m_roots.physical) ||
           (m_tree.node(m_roots.physical).children.empty() && m_tree.node(m_roots.logical).children.empty());
}

bool DriveTreePage::open(DeviceDialogs& dialogs) {
    rebuild();
    return !bothBranchesEmpty() || CheckDevicePresent(dialogs);
}

DriveTreePage::RefreshResult DriveTreePage::refresh(Prompter& prompter, DeviceDialogs& dialogs) {
    if (m_itemsListed || m_workRunning || m_session.driveList.DriveListBusy) {
        prompter.inform(kRefreshRefused);
        return RefreshResult::Refused;
    }
    rebuild();
    if (bothBranchesEmpty() && !CheckDevicePresent(dialogs))
        return RefreshResult::Exit;
    return RefreshResult::Listed;
}

bool DriveTreePage::CheckDevicePresent(DeviceDialogs& dialogs) {
    if (dialogs.noDeviceVisible())
        return true;
    return dialogs.runNoDevice([this] {
        rebuild();
        if (bothBranchesEmpty() && !m_itemsListed)
            m_hintVisible = false; // the right-hand list is hidden while the dialog stays up
        return !bothBranchesEmpty();
    });
}

const NodeSelection& DriveTreePage::select(NodeId node) {
    m_recognised.reset();
    if (m_mode == SearchMode::Deep && isRecognisedNode(node)) {
        m_selection = NodeSelection{};
        m_recognised = SelectRecognisedNode(m_session.driveSearch, m_tree, node,
                                            m_session.driveList.AttachedVolumeEntries);
        m_session.driveList.SelectionKind = "Recognised";
        m_hintVisible = false;
        return m_selection;
    }
    m_selection = SelectDriveNode(m_session.driveList, m_session.volumes, m_tree, node, m_mode);
    m_hintVisible = m_selection.panel.empty() && !m_itemsListed;
    return m_selection;
}

Result<bool> DriveTreePage::attachImage(const std::string& path, bool volume) {
    auto checked = volume ? attachImages({}, {path}) : attachImages({path}, {});
    if (!checked)
        return checked.error();
    if (volume)
        m_session.sources.volumeImages.push_back(path);
    else
        m_session.sources.diskImages.push_back(path);
    return true;
}

} // namespace salvora
