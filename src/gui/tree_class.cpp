// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/tree_class.h"

namespace salvora::gui {

CTreeClass::CTreeClass(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setIconSize({20, 20});
}

void CTreeClass::apply(QTreeWidgetItem* item) {
    const Style& style = m_styles[item];
    if (style.color.isValid())
        item->setForeground(0, style.color);
    QFont font = item->font(0);
    font.setBold(style.bold);
    item->setFont(0, font);
}

void CTreeClass::setItemColor(QTreeWidgetItem* item, const QColor& color) {
    m_styles[item].color = color;
    apply(item);
}

void CTreeClass::setItemBold(QTreeWidgetItem* item, bool bold) {
    m_styles[item].bold = bold;
    apply(item);
}

QColor CTreeClass::itemColor(QTreeWidgetItem* item) const {
    return m_styles.value(item).color;
}
bool CTreeClass::itemBold(QTreeWidgetItem* item) const {
    return m_styles.value(item).bold;
}

} // namespace salvora::gui
