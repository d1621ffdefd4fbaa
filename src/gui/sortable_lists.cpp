// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/sortable_lists.h"

#include <QHeaderView>
#include <QMenu>
#include <algorithm>

#include "base/text.h"

namespace salvora::gui {

void CSortClass::sort(bool ascending, bool numeric) {
    QList<QTreeWidgetItem*> rows;
    while (m_list->topLevelItemCount() > 0)
        rows.append(m_list->takeTopLevelItem(0));
    const int column = m_column;
    auto less = [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const QString ta = a->text(column);
        const QString tb = b->text(column);
        if (numeric) {
            const auto na = decimalPrefixToInt32(ta.toStdString());
            const auto nb = decimalPrefixToInt32(tb.toStdString());
            return ascending ? na < nb : nb < na;
        }
        const int order = ta.compare(tb, Qt::CaseInsensitive);
        return ascending ? order < 0 : order > 0;
    };
    std::stable_sort(rows.begin(), rows.end(), less);
    m_list->addTopLevelItems(rows);
}

CColoredListCtrl::CColoredListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAlternatingRowColors(true);
    setRowColors(Qt::white, Qt::white);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &CColoredListCtrl::sortByColumnClick);
}

void CColoredListCtrl::setRowColors(const QColor& even, const QColor& odd) {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, even);
    pal.setColor(QPalette::AlternateBase, odd);
    setPalette(pal);
}

void CColoredListCtrl::setNumericColumn(int column, bool numeric) {
    m_numericColumns.removeAll(column);
    if (numeric)
        m_numericColumns.append(column);
}

void CColoredListCtrl::sortByColumnClick(int column) {
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    CSortClass(this, column).sort(m_ascending, m_numericColumns.contains(column));
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

CHideColumn::CHideColumn(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setStyleSheet("QTreeView::item { border-right: 1px solid #e2e8ef; border-bottom: 1px solid #e2e8ef; }");
    header()->setSectionsMovable(true);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QHeaderView::customContextMenuRequested, this, &CHideColumn::showHeaderMenu);
}

void CHideColumn::setColumnShown(int column, bool shown) {
    header()->setSectionHidden(column, !shown);
}

void CHideColumn::showHeaderMenu(const QPoint& pos) {
    QMenu menu(this);
    for (int column = 0; column < columnCount(); ++column) {
        QAction* action = menu.addAction(headerItem()->text(column));
        action->setCheckable(true);
        action->setChecked(!header()->isSectionHidden(column));
        connect(action, &QAction::toggled, this, [this, column](bool on) { setColumnShown(column, on); });
    }
    menu.exec(header()->mapToGlobal(pos));
}

} // namespace salvora::gui
