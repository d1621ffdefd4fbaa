// SPDX-License-Identifier: GPL-3.0-or-later
// The drive tree of a mode window, kept on the engine side: "My Computer", "Physical Drives", "Logical
// Drives", disk, partition and drive nodes. The GUI shows it through a model adapter; the CLI prints it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "volumes/disk_record.h"

namespace salvora {

using NodeId = int;
inline constexpr NodeId kNoNode = -1;

// Image indexes of the tree's pictures.
inline constexpr int kImageComputer = 0;
inline constexpr int kImageLogicalBranch = 1;
inline constexpr int kImageVolume = 2;
inline constexpr int kImageDisk = 3;

// Text colours of tree nodes, as 0xRRGGBB.
inline constexpr std::uint32_t kFoundPartitionColour = 0x008000; // partitions a lost-partition search found

struct DriveNode {
    std::string label;
    int image = 0;
    NodeId parent = kNoNode;
    std::vector<NodeId> children;
    bool expanded = false;
    std::optional<DiskRecord> record;        // disk and logical-drive nodes; lives as long as the node
    std::optional<std::uint32_t> textColour; // 0xRRGGBB; unset: the tree's usual colour
};

class DriveTree {
public:
    // Adds a node as the last child of parent (kNoNode for a root) and returns it.
    NodeId addNode(std::string label, int image, NodeId parent);
    const DriveNode& node(NodeId id) const { return m_nodes.at(static_cast<std::size_t>(id)); }
    void expand(NodeId id) { m_nodes.at(static_cast<std::size_t>(id)).expanded = true; }
    void setTextColour(NodeId id, std::uint32_t rgb) {
        m_nodes.at(static_cast<std::size_t>(id)).textColour = rgb;
    }
    void setRecord(NodeId id, DiskRecord record) {
        m_nodes.at(static_cast<std::size_t>(id)).record = std::move(record);
    }
    // The record attached to a node, or nullptr (fixed nodes, partitions, or no such node).
    const DiskRecord* record(NodeId id) const;
    bool contains(NodeId id) const { return id >= 0 && static_cast<std::size_t>(id) < m_nodes.size(); }
    std::size_t size() const { return m_nodes.size(); }
    std::vector<NodeId> roots() const;
    bool empty() const { return m_nodes.empty(); }
    void clear() { m_nodes.clear(); }

private:
    std::vector<DriveNode> m_nodes;
};

} // namespace salvora
