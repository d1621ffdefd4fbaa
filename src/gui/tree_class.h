// SPDX-License-Identifier: GPL-3.0-or-later
// A tree whose items may each carry their own text colour and a bold flag; items without an entry draw
// normally.
#pragma once

#include <QColor>
#include <QHash>
#include <QTreeWidget>

namespace salvora::gui {

class CTreeClass : public QTreeWidget {
    Q_OBJECT
public:
    explicit CTreeClass(QWidget* parent = nullptr);

    void setItemColor(QTreeWidgetItem* item, const QColor& color);
    void setItemBold(QTreeWidgetItem* item, bool bold);
    QColor itemColor(QTreeWidgetItem* item) const;
    bool itemBold(QTreeWidgetItem* item) const;
    // Forgets the styles with the items (call after clear()).
    void clearStyles() { m_styles.clear(); }

private:
    struct Style {
        QColor color;
        bool bold = false;
    };
    void apply(QTreeWidgetItem* item);
    QHash<QTreeWidgetItem*, Style> m_styles;
};

} // namespace salvora::gui
