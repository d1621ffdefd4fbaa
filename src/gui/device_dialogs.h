// SPDX-License-Identifier: GPL-3.0-or-later
// The three dialogs of a missing medium: the medium-removed question of a running signature scan, the
// no-device dialog with Retry and Exit, and the whole-medium question of Basic Search.
#pragma once

#include <QDialog>
#include <functional>

#include "app/drive_tree_page.h"
#include "base/seams.h"

class QCheckBox;
class QPushButton;

namespace salvora::gui {

class CMediaRemoved : public QDialog {
    Q_OBJECT
public:
    explicit CMediaRemoved(QWidget* parent = nullptr);
    MediumRemovedAnswer answer() const { return m_answer; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* retryButton() const { return m_retry; }
    QCheckBox* applyAlwaysBox() const { return m_applyAlways; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    MediumRemovedAnswer m_answer{false, 0};
    QPushButton* m_cancel;
    QPushButton* m_retry;
    QCheckBox* m_applyAlways;
};

class CNoDevice : public QDialog {
    Q_OBJECT
public:
    explicit CNoDevice(QWidget* parent = nullptr);
    // Runs modally: each "Retry" calls retry and closes the dialog (true) when it found a device; "Exit"
    // or closing the dialog returns false.
    bool run(const std::function<bool()>& retry);
    QPushButton* retryButton() const { return m_retry; }
    QPushButton* exitButton() const { return m_exit; }

private:
    std::function<bool()> m_onRetry;
    QPushButton* m_retry;
    QPushButton* m_exit;
};

class CRem_Media_Scan : public QDialog {
    Q_OBJECT
public:
    explicit CRem_Media_Scan(QWidget* parent = nullptr);
    QPushButton* acceptButton() const { return m_accept; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QPushButton* m_accept;
    QPushButton* m_cancel;
};

// The device-dialog seam of the mode windows, shown with the dialogs above. The no-device dialog is the
// one the main window keeps for the whole run.
class QtDeviceDialogs : public DeviceDialogs {
public:
    QtDeviceDialogs(CNoDevice& noDevice, QWidget* owner) : m_noDevice(noDevice), m_owner(owner) {}
    bool runNoDevice(const std::function<bool()>& retry) override;
    bool noDeviceVisible() const override;
    bool confirmWholeMediumScan() override;

private:
    CNoDevice& m_noDevice;
    QWidget* m_owner;
};

} // namespace salvora::gui
