// SPDX-License-Identifier: GPL-3.0-or-later
// A recovery mode's window, on the page every mode opens on: the drive tree, the information panel of
// the selected node, "Refresh Tree" and the attaching of image files. What each action does is decided
// by DriveTreePage; this window shows its state and forwards the user's actions.
#pragma once

#include <QDialog>

#include "app/drive_tree_page.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QTreeWidgetItem;

namespace salvora::gui {

class CTreeClass;
class CHideColumn;
class ProductBanner;

class ModeWindow : public QDialog {
    Q_OBJECT
public:
    ModeWindow(Session& session, SearchMode mode, Prompter& prompter, DeviceDialogs& dialogs,
               QWidget* parent = nullptr);

    DriveTreePage& page() { return m_page; }
    CTreeClass* driveTree() const { return m_tree; }
    CHideColumn* panel() const { return m_panel; }
    QLabel* hint() const { return m_hint; }
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* backButton() const { return m_back; }
    // The tree item of a drive-tree node, or null.
    QTreeWidgetItem* itemOf(NodeId node) const;

public slots:
    void refreshTree();
    // Attaches an image file (a whole disk, or one volume) and lists the drives again.
    void attachImage(const QString& path, bool volume);

signals:
    // The window has listed its drives and is ready: the main window hides and the wait window closes.
    void ready();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void initialise();
    void fillTree();
    void addChildren(QTreeWidgetItem* item, NodeId node);
    void showSelection();
    void chooseImage(bool volume);

    Session& m_session;
    DriveTreePage m_page;
    Prompter& m_prompter;
    DeviceDialogs& m_dialogs;
    bool m_initialised = false;
    ProductBanner* m_banner;
    CTreeClass* m_tree;
    CHideColumn* m_panel;
    QLabel* m_hint;
    QStackedWidget* m_right;
    QPushButton* m_refresh;
    QPushButton* m_attach;
    QPushButton* m_back;
};

} // namespace salvora::gui
