// The one-line tip under the search field that tells a new user the global shortcut, with a dismiss button.
#pragma once

#include <QString>
#include <QWidget>

namespace huddlepod {

class HotkeyHintView : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalPadding = 12;
    static constexpr int verticalPadding = 6;
    static constexpr int spacing = 6;
    static constexpr int minimumSpacer = 4;
    static constexpr int buttonSize = 18;
    static constexpr qreal minimumTextScale = 0.85;

    struct Layout {
        QRectF keyboard;
        QRectF text;      // where the (scaled) text line sits
        qreal textScale;  // 1 down to 0.85 before the text is cut short
        bool isTruncated; // still too long at 0.85
        QRectF button;    // the dismiss button's whole hit area
    };

    explicit HotkeyHintView(QString shortcut, QWidget* parent = nullptr);

    QString shortcut() const { return shortcut_; }
    // "Press Ctrl+Alt+S from anywhere to open Huddlepod."
    QString hintText() const;
    Layout layoutFor(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The dismiss button was pressed; the hint stays until its owner removes it.
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The dismiss button is the hint's one stop: Space or Return presses it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString shortcut_;
    bool pressedOnButton_ = false;
};

} // namespace huddlepod
