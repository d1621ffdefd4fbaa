// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/drive_tree_page.h"

#include "app/attached_media.h"

namespace salvora {

DriveTreePage::DriveTreePage(Session& session, SearchMode mode) : m_session(session), m_mode(mode) {}

void DriveTreePage::rebuild() {
    m_selection = NodeSelection{};
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
