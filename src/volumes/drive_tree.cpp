// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/drive_tree.h"

namespace salvora {

NodeId DriveTree::addNode(std::string label, int image, NodeId parent) {
    NodeId id = static_cast<NodeId>(m_nodes.size());
    m_nodes.push_back(DriveNode{std::move(label), image, parent, {}, false, std::nullopt, std::nullopt});
    if (parent != kNoNode)
        m_nodes.at(static_cast<std::size_t>(parent)).children.push_back(id);
    return id;
}

const DiskRecord* DriveTree::record(NodeId id) const {
    if (!contains(id))
        return nullptr;
    const auto& record = m_nodes[static_cast<std::size_t>(id)].record;
    return record ? &*record : nullptr;
}

std::vector<NodeId> DriveTree::roots() const {
    std::vector<NodeId> ids;
    for (std::size_t i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].parent == kNoNode)
            ids.push_back(static_cast<NodeId>(i));
    return ids;
}

} // namespace salvora
