// SPDX-License-Identifier: GPL-3.0-or-later
// The prompt seam shown as modal boxes titled "Message": information messages with the information icon
// and OK, questions with the question icon, Yes and No, No the default. Callable from any thread: a
// worker's question is shown on the user-interface thread and the worker waits for the answer.
#pragma once

#include <QPointer>
#include <QWidget>

#include "base/seams.h"

namespace salvora::gui {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    void inform(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void informFatal(const std::string& text) override;
    MediumRemovedAnswer askMediumRemoved() override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace salvora::gui
