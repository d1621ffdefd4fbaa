// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/device_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/main_window_logic.h"
#include "gui/look.h"
#include "gui/product_banner.h"

namespace salvora::gui {
namespace {

// Word-wrapped texts need the window's height worked out for its width.
void fitToWidth(QDialog* dialog, int width) {
    dialog->setFixedWidth(width);
    dialog->setMinimumHeight(dialog->layout()->totalHeightForWidth(width));
}

QLabel* paragraph(const QString& text, QWidget* parent, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    if (bold)
        label->setFont(productFont(ProductFont::BoldLabel));
    return label;
}

QLabel* warningIcon(QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setPixmap(parent->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop);
    return icon;
}

} // namespace

CMediaRemoved::CMediaRemoved(QWidget* parent) : QDialog(parent) {
    setWindowTitle(MediumRemovedTexts::caption);
    setObjectName("CMediaRemoved");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(warningIcon(this));
    auto* texts = new QVBoxLayout;
    texts->addWidget(paragraph(MediumRemovedTexts::heading, this, true));
    texts->addWidget(paragraph(MediumRemovedTexts::body, this));
    texts->addWidget(paragraph(MediumRemovedTexts::advice, this));
    row->addLayout(texts, 1);
    layout->addLayout(row);
    m_applyAlways = new QCheckBox(MediumRemovedTexts::applyAlways, this);
    layout->addWidget(m_applyAlways);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancel = new QPushButton(MediumRemovedTexts::cancelButton, this);
    m_retry = new QPushButton(MediumRemovedTexts::retryButton, this);
    m_retry->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_retry);
    layout->addLayout(buttons);
    fitToWidth(this, 560);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_answer.cancel = true;
        accept();
    });
    connect(m_retry, &QPushButton::clicked, this, [this] {
        m_answer.retryMode = m_applyAlways->isChecked() ? 5 : 1;
        accept();
    });
}

void CMediaRemoved::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Break is an ordinary key here: it must not cancel the question.
    if (event->key() == Qt::Key_Pause && (event->modifiers() & Qt::ControlModifier))
        return;
    QDialog::keyPressEvent(event);
}

CNoDevice::CNoDevice(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kProductName);
    setObjectName("CNoDevice");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(new ProductBanner({}, this));
    auto* body = new QVBoxLayout;
    body->setContentsMargins(18, 8, 18, 0);
    auto* row = new QHBoxLayout;
    row->addWidget(warningIcon(this));
    row->addWidget(paragraph(NoDeviceTexts::heading, this, true), 1);
    body->addLayout(row);
    body->addWidget(paragraph(NoDeviceTexts::first, this));
    body->addWidget(paragraph(NoDeviceTexts::second, this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_retry = new QPushButton(NoDeviceTexts::retryButton, this);
    m_exit = new QPushButton(NoDeviceTexts::exitButton, this);
    m_retry->setDefault(true);
    buttons->addWidget(m_retry);
    buttons->addWidget(m_exit);
    body->addLayout(buttons);
    layout->addLayout(body);
    fitToWidth(this, 600);
    connect(m_retry, &QPushButton::clicked, this, [this] {
        if (m_onRetry && m_onRetry())
            accept();
    });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
}

bool CNoDevice::run(const std::function<bool()>& retry) {
    m_onRetry = retry;
    const bool found = exec() == QDialog::Accepted;
    m_onRetry = nullptr;
    return found;
}

CRem_Media_Scan::CRem_Media_Scan(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kProductName);
    setObjectName("CRem_Media_Scan");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(paragraph(WholeMediumTexts::text, this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_accept = new QPushButton(WholeMediumTexts::acceptButton, this);
    m_cancel = new QPushButton(WholeMediumTexts::cancelButton, this);
    m_cancel->setDefault(true);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    fitToWidth(this, 600);
    connect(m_accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool QtDeviceDialogs::runNoDevice(const std::function<bool()>& retry) {
    if (m_owner) {
        m_owner->raise();
        m_owner->activateWindow();
    }
    return m_noDevice.run(retry);
}

bool QtDeviceDialogs::noDeviceVisible() const {
    return m_noDevice.isVisible();
}

bool QtDeviceDialogs::confirmWholeMediumScan() {
    CRem_Media_Scan dialog(m_owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace salvora::gui
