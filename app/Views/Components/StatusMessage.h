// The centred message that stands in for content: a line of text under an optional symbol, filling its area.
#pragma once

#include "ui/Symbols.h"

#include <QString>
#include <QWidget>

#include <optional>

namespace huddlepod {

class StatusMessage : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 8;
    static constexpr int textPadding = 24;
    static constexpr int symbolPixelSize = 20;
    static constexpr int textPixelSize = 12;

    struct Layout {
        std::optional<QRectF> symbol;
        QRectF text;
        bool operator==(const Layout&) const = default;
    };

    // systemImage names a symbol ("exclamationmark.triangle"); absent or unknown: no symbol.
    explicit StatusMessage(QString text, std::optional<QString> systemImage = std::nullopt,
                           QWidget* parent = nullptr);

    QString text() const { return text_; }
    std::optional<Symbol> symbol() const { return symbol_; }

    // Symbol and text centred as a block in an area of this size, the text wrapping inside the side margins.
    Layout layoutFor(QSize area) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Said once each time it comes on screen.
    void showEvent(QShowEvent* event) override;

private:
    QString text_;
    std::optional<Symbol> symbol_;
};

} // namespace huddlepod
