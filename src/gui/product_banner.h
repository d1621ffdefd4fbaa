// SPDX-License-Identifier: GPL-3.0-or-later
// The banner at the top of every window: the product name, or "Quillwort Salvora - " and the window's
// caption, in the banner font with a soft glow.
#pragma once

#include <QWidget>

namespace salvora::gui {

class ProductBanner : public QWidget {
    Q_OBJECT
public:
    // An empty caption shows the product name alone.
    explicit ProductBanner(const QString& caption = {}, QWidget* parent = nullptr);
    QString text() const { return m_text; }
    void setSubtitle(const QString& subtitle);
    QSize sizeHint() const override { return {600, 76}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QString m_subtitle;
};

} // namespace salvora::gui
