// SPDX-License-Identifier: GPL-3.0-or-later
// The report lists of the mode windows: the sorting routine, the list with alternating row colours and
// click-to-sort headers, and the list whose columns can be hidden from the header.
#pragma once

#include <QColor>
#include <QTreeWidget>

namespace salvora::gui {

// Sorts a list's top-level rows by one column's text: case-insensitively, or by the text read as a
// signed integer (leading digits, as a text-to-long conversion reads them).
class CSortClass {
public:
    CSortClass(QTreeWidget* list, int column) : m_list(list), m_column(column) {}
    void sort(bool ascending, bool numeric);

private:
    QTreeWidget* m_list;
    int m_column;
};

// Rows drawn with two background colours (even, odd; both white until set); a header click sorts by
// that column, ascending first and toggling on further clicks of the same header.
class CColoredListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CColoredListCtrl(QWidget* parent = nullptr);
    void setRowColors(const QColor& even, const QColor& odd);
    // Columns whose cells hold numbers sort by value.
    void setNumericColumn(int column, bool numeric = true);
    int sortedColumn() const { return m_sortColumn; }
    bool sortedAscending() const { return m_ascending; }

public slots:
    void sortByColumnClick(int column);

private:
    QList<int> m_numericColumns;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

// A report list with grid lines, full-row selection and movable columns; the header's context menu hides
// and shows columns. A hidden column keeps its place among the others.
class CHideColumn : public QTreeWidget {
    Q_OBJECT
public:
    explicit CHideColumn(QWidget* parent = nullptr);
    void setColumnShown(int column, bool shown);

private:
    void showHeaderMenu(const QPoint& pos);
};

} // namespace salvora::gui
