// The input row at the top of the panel: a borderless field bound to the search query, a magnifier or back
// button before it, and a spinner or clear button after it. Up, Down and Return drive the result list.
#pragma once

#include "data/Models/SearchResult.h"
#include "ui/Symbols.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

class QLineEdit;
class QTimer;

namespace huddlepod {

class SearchViewModel;

// A painted symbol that acts as a button: the whole box is the hit area; Tab reaches it and Space or Return
// presses it, a click leaves the focus where it was.
class SymbolButton : public QWidget {
    Q_OBJECT
public:
    SymbolButton(Symbol symbol, qreal pixelSize, FontWeight weight, TextLevel level, QSize box,
                 QString accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override { return box_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Symbol symbol_;
    qreal pixelSize_;
    FontWeight weight_;
    TextLevel level_;
    QSize box_;
    bool pressed_ = false;
};

// The small indeterminate spinner shown while a search loads.
class ActivitySpinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int diameter = 16;

    explicit ActivitySpinner(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {diameter, diameter}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* timer_;
    int phase_ = 0;
};

// The magnifier, or on a player card the back chevron; the two cross-fade when the route changes.
class SearchFieldGlyph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal backProgress READ backProgress WRITE setBackProgress)
public:
    static constexpr int box = 18;

    explicit SearchFieldGlyph(QWidget* parent = nullptr);

    bool isBackButton() const { return isBack_; }
    void setBackButton(bool isBack);
    // 0 shows the magnifier, 1 the chevron; in between both fade.
    qreal backProgress() const { return progress_; }
    void setBackProgress(qreal progress);

    QSize sizeHint() const override { return {box, box}; }

signals:
    void backClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // As the back button it is a Tab stop, pressed with Space or Return.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool isBack_ = false;
    qreal progress_ = 0;
    bool pressed_ = false;
    QPointer<QVariantAnimation> fade_;
};

class SearchFieldView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fieldHeight = 36;
    static constexpr int horizontalPadding = 12;
    static constexpr int spacing = 8;

    // What stands after the text field.
    enum class Trailing { none, spinner, clearButton };

    explicit SearchFieldView(SearchViewModel* model, QWidget* parent = nullptr);

    // True while the route is a player card: the back chevron shows, and the keys pass to the text field.
    bool isShowingPlayer() const { return isShowingPlayer_; }
    void setShowingPlayer(bool showing);

    QLineEdit* textField() const { return field_; }
    SearchFieldGlyph* leadingGlyph() const { return glyph_; }
    Trailing trailing() const;

signals:
    // Return on a selected row.
    void openRequested(const huddlepod::SearchResult& result);
    // The back button, or typing a changed query while a card shows.
    void backRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited(const QString& text);
    void syncFromModel();

    SearchViewModel* model_;
    bool isShowingPlayer_ = false;
    SearchFieldGlyph* glyph_;
    QLineEdit* field_;
    ActivitySpinner* spinner_;
    SymbolButton* clearButton_;
};

} // namespace huddlepod
