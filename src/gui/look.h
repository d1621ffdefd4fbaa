// SPDX-License-Identifier: GPL-3.0-or-later
// The look shared by every window: the product's fonts (with the fonts this desktop has standing in for
// faces it lacks), the white pages, the icon theme, and text conversion at the Qt boundary.
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <string>

class QApplication;

namespace salvora::gui {

// The product's fonts by purpose, numbered as the windows refer to them.
enum class ProductFont {
    BoldLabel = 1,
    BoldLink = 2,
    Link = 3,
    Caption = 4,
    ModeLabel = 5,
    Heading16 = 6,
    Heading14 = 7,
    GroupCaption = 8,
    Heading16b = 9,
    Banner = 10,
};
QFont productFont(ProductFont which);

// Font substitutes, the application style sheet and the icon theme. Call once after the application
// object exists.
void applyLook(QApplication& app);

// Makes the desktop icon theme reachable also without a desktop session (offscreen, a bare X server).
void prepareIconTheme();

// The pictures of the drive tree by image index (computer, logical branch, volume, disk).
QIcon driveTreeIcon(int imageIndex);

inline QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string ss(const QString& text) {
    return text.toStdString();
}

} // namespace salvora::gui
