// The content of the floating panel: the search field, the one-time shortcut hint and a page area that slides
// between the search page (results or league browser) and a player card. Draws the panel's fill and hairline.
#pragma once

#include "app/PanelRoute.h"
#include "ui/Theme.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>

namespace huddlepod {

class HomeViewModel;
class HotkeyHintView;
class PanelNavigation;
class PanelSession;
class PlayerCardView;
class PlayerCardViewModel;
class SearchFieldView;
class SearchResultsView;
class SearchViewModel;

// The panel's material, as a fill in the panel's rounded shape.
class PanelBackground : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 12;

    explicit PanelBackground(Material material, QWidget* parent = nullptr);
    Material material() const { return material_; }
    void setMaterial(Material material);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material material_;
};

// The 1-pixel hairline just inside the panel's rounded edge, over everything else.
class PanelBorder : public QWidget {
    Q_OBJECT
public:
    explicit PanelBorder(QWidget* parent = nullptr);
    // The edge colour for this widget's look and the desktop's contrast setting now.
    QColor colour() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Holds one page at a time and pushes between the results and a card.
class PanelPageArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The shortcut hint with its divider under it. How much of it shows, from 0 to 1, sets both its opacity and
// its height, so what lies below moves up or down with the fade rather than jumping when it ends.
class PanelHintArea : public QWidget {
    Q_OBJECT
public:
    PanelHintArea(HotkeyHintView* hint, QWidget* divider, QWidget* parent = nullptr);

    HotkeyHintView* hint() const { return hint_; }
    qreal fraction() const { return fraction_; }
    // Hidden at 0; at 1 fully opaque and at its natural height.
    void setFraction(qreal fraction);
    // The opacity the hint and its divider are drawn with.
    qreal opacity() const;
    int naturalHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    HotkeyHintView* hint_;
    QWidget* divider_;
    qreal fraction_ = 1;
};

class PanelRootView : public QWidget {
    Q_OBJECT
public:
    // The shell's cache owns the models; the provider returns the one for a result.
    using PlayerModelProvider = std::function<PlayerCardViewModel*(const SearchResult&)>;

    PanelRootView(PanelSession* session, SearchViewModel* searchModel, PanelNavigation* navigation,
                  HomeViewModel* homeModel, PlayerModelProvider playerModelProvider,
                  std::function<void()> onDismiss, std::function<void()> onReadyForInput,
                  QString hotkeyDescription, QWidget* parent = nullptr);
    ~PanelRootView() override;

    // The fill standing in for the requested material; menu unless the debug driver asks for another. A
    // material with a fill of its own gives the panel the look whose text reads on it.
    void setMaterial(Material material);

    SearchFieldView* searchField() const { return field_; }
    SearchResultsView* results() const { return results_; }
    // The card on screen, or none on the search page.
    PlayerCardView* card() const { return card_; }
    // The hint while it is on screen, fading ones included.
    HotkeyHintView* hint() const;
    // The hint and its divider; none once the hint was seen at launch.
    PanelHintArea* hintArea() const { return hintArea_; }
    // The hint's fade in or out while it runs.
    QVariantAnimation* hintFade() const { return hintFade_; }
    bool isTransitioning() const { return transition_ != nullptr; }

    // A list picker's popover is open over the panel. Escape then closes only the popover: the shell's
    // Escape handling asks here first.
    bool isPopoverOpen() const;
    // Closes the open popovers; false when there was none.
    bool closePopover();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Escape as the exit command; a character typed on any other control goes to the field.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab go round the panel's controls in reading order, the field among them.
    bool focusNextPrevChild(bool next) override;

private:
    // The field takes the keyboard back from a control that is going away.
    void takeFocusFrom(QWidget* leaving);
    void open(const SearchResult& result);
    void back();
    void showRoute();
    void finishTransition();
    void runFocusSequence();
    void dismissHint();
    void updateHintVisibility();
    void applyMaterialLook();

    PanelSession* session_;
    SearchViewModel* searchModel_;
    PanelNavigation* navigation_;
    HomeViewModel* homeModel_;
    PlayerModelProvider playerModelProvider_;
    std::function<void()> onDismiss_;
    std::function<void()> onReadyForInput_;
    bool showsHotkeyHint_;

    Material material_ = Material::menu;
    PanelBackground* background_;
    PanelBorder* border_;
    SearchFieldView* field_;
    PanelHintArea* hintArea_ = nullptr;
    QPointer<QVariantAnimation> hintFade_;
    qreal hintTarget_ = 1;
    PanelPageArea* pages_;
    SearchResultsView* results_;
    PlayerCardView* card_ = nullptr;
    PanelRoute shown_;
    // The page that slides out; deleted (a card) or hidden (the results) when the push ends.
    QPointer<QWidget> leaving_;
    QPointer<QVariantAnimation> transition_;
};

} // namespace huddlepod
