// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/qt_prompter.h"

#include <QMessageBox>

#include "app/main_window_logic.h"
#include "gui/device_dialogs.h"
#include "gui/gui_thread.h"
#include "gui/look.h"

namespace salvora::gui {

void QtPrompter::inform(const std::string& text) {
    onGuiThread([&] {
        QMessageBox box(QMessageBox::Information, "Message", qs(text), QMessageBox::Ok, m_owner);
        box.exec();
    });
}

bool QtPrompter::askYesNo(const std::string& text) {
    return onGuiThread([&] {
        QMessageBox box(QMessageBox::Question, "Message", qs(text), QMessageBox::Yes | QMessageBox::No,
                        m_owner);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    });
}

void QtPrompter::informFatal(const std::string& text) {
    onGuiThread([&] {
        QMessageBox box(QMessageBox::Information, kProductName, qs(text), QMessageBox::Ok, m_owner);
        box.exec();
    });
}

MediumRemovedAnswer QtPrompter::askMediumRemoved() {
    return onGuiThread([&] {
        CMediaRemoved dialog(m_owner);
        dialog.exec();
        return dialog.answer();
    });
}

} // namespace salvora::gui
