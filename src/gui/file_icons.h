// SPDX-License-Identifier: GPL-3.0-or-later
// File-type icons by file name from the desktop's icon theme. Recovered files do not exist on disk, so
// icons are found by the name's MIME type alone. SystemIcons is the shared list the file lists draw from
// (owned by the main window); each CSystemImageList keeps a one-entry cache of the last extension looked
// up, so a run of rows of one type costs one lookup.
#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

namespace salvora::gui {

class SystemIcons {
public:
    // The index of the icon for a file name, adding it to the list when new.
    int indexFor(const QString& fileName, bool open);
    QIcon icon(int index) const { return index >= 0 && index < m_icons.size() ? m_icons[index] : QIcon(); }
    int size() const { return static_cast<int>(m_icons.size()); }
    int lookups() const { return m_lookups; } // how often the theme was asked

private:
    QList<QIcon> m_icons;
    QHash<QString, int> m_indexOfIconName;
    int m_lookups = 0;
};

class CSystemImageList {
public:
    explicit CSystemImageList(SystemIcons& icons) : m_icons(icons) {}
    virtual ~CSystemImageList() = default;

    // The icon index for a file name. The extension (from the last "." on) is compared with the last one
    // looked up, exactly and case-sensitively; only a different extension asks the theme.
    int SystemIconIndex(const QString& fileName, bool open = false, bool small = true);
    QIcon icon(int index) const { return m_icons.icon(index); }
    SystemIcons& icons() { return m_icons; }

private:
    SystemIcons& m_icons;
    QString LastExtension;
    int LastIconIndex = -1;
    bool m_cached = false;
};

// The extension as the platform's finder gives it: from the last "." of the name on, or empty.
QString fileExtension(const QString& fileName);

} // namespace salvora::gui
