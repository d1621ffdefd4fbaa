// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/look.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QStyle>

namespace salvora::gui {
namespace {

struct FontSpec {
    const char* face;
    int pixelHeight;
    int weight; // 100..900
    bool underline;
};

// Heights are the character heights in pixels the windows were laid out for.
constexpr FontSpec kFonts[] = {
    {"Verdana", 13, 700, false}, {"Verdana", 13, 700, true},   {"Verdana", 13, 400, true},
    {"Verdana", 13, 500, false}, {"Consolas", 16, 700, false}, {"Arial", 16, 700, false},
    {"Arial", 14, 700, false},   {"Consolas", 22, 700, false}, {"Arial", 16, 700, false},
    {"Calibri", 36, 500, false},
};

} // namespace

QFont productFont(ProductFont which) {
    const FontSpec& spec = kFonts[static_cast<int>(which) - 1];
    QFont font(spec.face);
    font.setPixelSize(spec.pixelHeight);
    font.setWeight(static_cast<QFont::Weight>(spec.weight));
    font.setUnderline(spec.underline);
    return font;
}

void prepareIconTheme() {
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains("/usr/share/icons"))
        paths << "/usr/share/icons";
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor")
        QIcon::setThemeName(QDir("/usr/share/icons/Adwaita").exists() ? "Adwaita" : "hicolor");
}

void applyLook(QApplication& app) {
    // Faces the windows name, and what stands in for them where they are not installed.
    QFont::insertSubstitutions("Verdana", {"DejaVu Sans", "Liberation Sans", "Noto Sans"});
    QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans", "Noto Sans"});
    QFont::insertSubstitutions("Calibri", {"Carlito", "DejaVu Sans", "Noto Sans"});
    QFont::insertSubstitutions("Consolas", {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono"});
    QFont base("DejaVu Sans");
    base.setPixelSize(13);
    app.setFont(base);
    prepareIconTheme();
    app.setStyle("Fusion");
    app.setStyleSheet(
        "QDialog { background: white; }"
        "QPushButton { padding: 5px 14px; border: 1px solid #b8c4d2; border-radius: 4px; background: "
        "#f5f8fb; }"
        "QPushButton:hover { background: #e6eef7; border-color: #7aa1cc; }"
        "QPushButton:default { border-color: #2f6db5; }"
        "QPushButton:disabled { color: #a0a0a0; }"
        "QTreeView, QTreeWidget, QListView { border: 1px solid #ccd6e0; }"
        "QHeaderView::section { background: #eef3f8; border: none; border-right: 1px solid #d5dde6;"
        " padding: 4px; }");
}

QIcon driveTreeIcon(int imageIndex) {
    QFileIconProvider provider;
    switch (imageIndex) {
    case 0:
        return QIcon::fromTheme("computer", provider.icon(QFileIconProvider::Computer));
    case 1:
        return QIcon::fromTheme("drive-multidisk", provider.icon(QFileIconProvider::Drive));
    case 2:
        return QIcon::fromTheme("media-flash",
                                QIcon::fromTheme("drive-harddisk", provider.icon(QFileIconProvider::Drive)));
    default:
        return QIcon::fromTheme("drive-removable-media", provider.icon(QFileIconProvider::Drive));
    }
}

} // namespace salvora::gui
