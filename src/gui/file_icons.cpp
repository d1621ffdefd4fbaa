// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/file_icons.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace salvora::gui {

QString fileExtension(const QString& fileName) {
    const int slash = fileName.lastIndexOf('/');
    const int dot = fileName.lastIndexOf('.');
    return dot > slash ? fileName.mid(dot) : QString();
}

int SystemIcons::indexFor(const QString& fileName, bool open) {
    ++m_lookups;
    QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    QString key = type.iconName();
    if (open)
        key += "#open";
    if (auto it = m_indexOfIconName.find(key); it != m_indexOfIconName.end())
        return it.value();
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull())
        icon = QFileIconProvider().icon(QFileIconProvider::File);
    m_icons.append(icon);
    const int index = static_cast<int>(m_icons.size()) - 1;
    m_indexOfIconName.insert(key, index);
    return index;
}

int CSystemImageList::SystemIconIndex(const QString& fileName, bool open, bool) {
    const QString extension = fileExtension(fileName);
    if (m_cached && extension == LastExtension)
        return LastIconIndex;
    LastExtension = extension;
    LastIconIndex = m_icons.indexFor(fileName, open);
    m_cached = true;
    return LastIconIndex;
}

} // namespace salvora::gui
