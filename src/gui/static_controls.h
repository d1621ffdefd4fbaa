// SPDX-License-Identifier: GPL-3.0-or-later
// Small controls of the windows: a static text with its own colours, a hyperlink text that runs an
// action when clicked, and a push button with a 16 by 16 icon beside its caption.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <functional>

namespace salvora::gui {

class CColorStatic : public QLabel {
    Q_OBJECT
public:
    explicit CColorStatic(const QString& text = {}, QWidget* parent = nullptr);
    void setColors(const QColor& text, const QColor& background);
};

class CMy_Link_Static : public QLabel {
    Q_OBJECT
public:
    explicit CMy_Link_Static(const QString& text, std::function<void()> action = {},
                             QWidget* parent = nullptr);
    void setAction(std::function<void()> action) { m_action = std::move(action); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_action;
};

class CMyBtn : public QPushButton {
    Q_OBJECT
public:
    CMyBtn(const QIcon& icon, const QString& caption, QWidget* parent = nullptr);
};

} // namespace salvora::gui
