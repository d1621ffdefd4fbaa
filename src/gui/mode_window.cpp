// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/mode_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/look.h"
#include "gui/product_banner.h"
#include "gui/sortable_lists.h"
#include "gui/tree_class.h"

namespace salvora::gui {
namespace {
constexpr int kNodeRole = Qt::UserRole + 1;
}

ModeWindow::ModeWindow(Session& session, SearchMode mode, Prompter& prompter, DeviceDialogs& dialogs,
                       QWidget* parent)
    : QDialog(parent), m_session(session), m_page(session, mode), m_prompter(prompter), m_dialogs(dialogs) {
    const QString caption = qs(searchModeName(mode));
    setWindowTitle(QString("Quillwort Salvora - ") + caption);
    setObjectName("ModeWindow");
    resize(900, 600);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->setSpacing(10);
    m_banner = new ProductBanner(caption, this);
    m_banner->setSubtitle("Step 1: choose the memory card, disk or drive to recover from");
    layout->addWidget(m_banner);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(14, 0, 14, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto* treeTitle = new QLabel("Drives", left);
    treeTitle->setFont(productFont(ProductFont::BoldLabel));
    leftLayout->addWidget(treeTitle);
    m_tree = new CTreeClass(left);
    leftLayout->addWidget(m_tree);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto* panelTitle = new QLabel("Information", right);
    panelTitle->setFont(productFont(ProductFont::BoldLabel));
    rightLayout->addWidget(panelTitle);
    m_right = new QStackedWidget(right);
    m_hint = new QLabel(kSelectDriveHint, m_right);
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setStyleSheet(
        "color: #5a6b7d; font-size: 16px; border: 1px dashed #c4d0dc; background: #fafcfe;");
    m_panel = new CHideColumn(m_right);
    m_panel->setHeaderLabels({"Name", "Value"});
    m_panel->setColumnWidth(0, 185);
    m_panel->setColumnWidth(1, 250);
    m_panel->header()->setStretchLastSection(true);
    m_right->addWidget(m_hint);
    m_right->addWidget(m_panel);
    rightLayout->addWidget(m_right);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setSizes({380, 480});
    body->addWidget(splitter);
    layout->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(14, 0, 14, 0);
    m_refresh = new QPushButton(QIcon::fromTheme("view-refresh"), "Refresh Tree", this);
    m_refresh->setToolTip("List the connected memory cards and drives again");
    m_attach = new QPushButton(QIcon::fromTheme("document-open"), "Attach Disk Image\u2026", this);
    m_attach->setToolTip("Recover from an image file of a card or drive instead of the device itself");
    auto* attachMenu = new QMenu(m_attach);
    attachMenu->addAction("Whole card or disk image\u2026", this, [this] { chooseImage(false); });
    attachMenu->addAction("Single volume (partition) image\u2026", this, [this] { chooseImage(true); });
    m_attach->setMenu(attachMenu);
    m_back = new QPushButton("Back", this);
    m_back->setToolTip("Return to the choice of recovery mode");
    buttons->addWidget(m_refresh);
    buttons->addWidget(m_attach);
    buttons->addStretch();
    buttons->addWidget(m_back);
    layout->addLayout(buttons);

    connect(m_refresh, &QPushButton::clicked, this, &ModeWindow::refreshTree);
    connect(m_back, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            m_page.select(item->data(0, kNodeRole).toInt());
        showSelection();
    });
}

void ModeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_initialised) {
        m_initialised = true;
        QTimer::singleShot(0, this, &ModeWindow::initialise);
    }
}

void ModeWindow::initialise() {
    const bool found = m_page.open(m_dialogs);
    fillTree();
    emit ready();
    if (!found)
        reject();
}

void ModeWindow::refreshTree() {
    const auto result = m_page.refresh(m_prompter, m_dialogs);
    if (result == DriveTreePage::RefreshResult::Refused)
        return;
    fillTree();
    if (QTreeWidgetItem* root = itemOf(m_page.roots().computer))
        m_tree->setCurrentItem(root);
    if (result == DriveTreePage::RefreshResult::Exit)
        reject();
}

void ModeWindow::chooseImage(bool volume) {
    const QString path =
        QFileDialog::getOpenFileName(this, volume ? "Attach Volume Image" : "Attach Disk Image", QString(),
                                     "Disk images (*.img *.IMG *.dd *.raw *.bin *.iso);;All files (*)");
    if (!path.isEmpty())
        attachImage(path, volume);
}

void ModeWindow::attachImage(const QString& path, bool volume) {
    auto attached = m_page.attachImage(ss(path), volume);
    if (!attached) {
        m_prompter.inform(attached.error().message);
        return;
    }
    refreshTree();
}

void ModeWindow::addChildren(QTreeWidgetItem* item, NodeId node) {
    const DriveTree& tree = m_page.tree();
    for (NodeId child : tree.node(node).children) {
        const DriveNode& n = tree.node(child);
        auto* childItem = new QTreeWidgetItem(item, {qs(n.label)});
        childItem->setIcon(0, driveTreeIcon(n.image));
        childItem->setData(0, kNodeRole, child);
        addChildren(childItem, child);
        childItem->setExpanded(n.expanded || !n.children.empty());
    }
}

void ModeWindow::fillTree() {
    const QSignalBlocker block(m_tree);
    m_tree->clear();
    m_tree->clearStyles();
    const DriveTree& tree = m_page.tree();
    for (NodeId root : tree.roots()) {
        const DriveNode& n = tree.node(root);
        auto* item = new QTreeWidgetItem(m_tree, {qs(n.label)});
        item->setIcon(0, driveTreeIcon(n.image));
        item->setData(0, kNodeRole, root);
        addChildren(item, root);
        item->setExpanded(true);
    }
    for (NodeId fixed : {m_page.roots().computer, m_page.roots().physical, m_page.roots().logical})
        if (QTreeWidgetItem* item = itemOf(fixed)) {
            m_tree->setItemBold(item, true);
            m_tree->setItemColor(item, QColor("#143d6b"));
        }
    showSelection();
}

QTreeWidgetItem* ModeWindow::itemOf(NodeId node) const {
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(0, kNodeRole).toInt() == node)
            return *it;
    return nullptr;
}

void ModeWindow::showSelection() {
    m_panel->clear();
    for (const PanelRow& row : m_page.selection().panel)
        new QTreeWidgetItem(m_panel, {qs(row.name), qs(row.value)});
    m_right->setCurrentWidget(m_page.hintVisible() ? static_cast<QWidget*>(m_hint) : m_panel);
}

} // namespace salvora::gui
