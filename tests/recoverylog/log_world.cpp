// SPDX-License-Identifier: GPL-3.0-or-later
#include "log_world.h"

namespace salvora::test {

std::string describeTree(const FolderModel& folders) {
    std::string text;
    struct Pending {
        TreeItem item;
        std::size_t depth;
    };
    std::vector<Pending> stack;
    const auto tops = folders.tree.topLevelItems();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        stack.push_back({*it, 0});
    while (!stack.empty()) {
        const Pending current = stack.back();
        stack.pop_back();
        text += std::string(current.depth * 2, ' ') + folders.tree.text(current.item);
        if (const FolderNode* node = folders.nodeOf(current.item))
            text += " self=" + std::to_string(node->self) + " parent=" + std::to_string(node->parent) +
                    " date=" + std::to_string(node->date) + " time=" + std::to_string(node->time) +
                    (node->deleted ? " deleted" : "") + " c0=" + std::to_string(node->cluster0Start);
        text += "\n";
        const auto& children = folders.tree.children(current.item);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, current.depth + 1});
    }
    return text;
}

} // namespace salvora::test
