// The form's sections, top to bottom, redrawn from the model and the updater whenever either changes.
#include "app/Views/SettingsView.h"

#include "GlobalShortcuts/Recorder.h"
#include "app/SettingsModel.h"
#include "app/UpdaterController.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace huddlepod {

namespace {

constexpr int calloutSize = 12;
constexpr int rowSpacing = 12;

// Text in the secondary label colour of the current look, kept in step when the look changes.
class SecondaryLabel : public QLabel {
public:
    explicit SecondaryLabel(const QString& text, QWidget* parent = nullptr)
        : QLabel(text, parent) {
        followLook();
    }

protected:
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && !following_) {
            followLook();
        }
    }

private:
    void followLook() {
        following_ = true;
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, Theme::text(TextLevel::secondary, Theme::appearanceOf(colours),
                                                           WorkspaceSettings::shared().increaseContrast()));
        setPalette(colours);
        following_ = false;
    }

    bool following_ = false;
};

QLabel* secondaryText(const QString& text, QWidget* parent) {
    auto* label = new SecondaryLabel(text, parent);
    label->setWordWrap(true);
    label->setFont(Theme::font(calloutSize));
    return label;
}

// A section: an optional header, a framed group of rows, an optional footer.
QVBoxLayout* addSection(QVBoxLayout* form, QWidget* owner, const QString& header,
                        QWidget** section = nullptr) {
    auto* container = new QWidget(owner);
    auto* outer = new QVBoxLayout(container);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(6);
    if (!header.isEmpty()) {
        auto* title = new QLabel(header, container);
        title->setFont(Theme::font(13, FontWeight::semibold));
        outer->addWidget(title);
    }
    auto* box = new QFrame(container);
    box->setFrameShape(QFrame::StyledPanel);
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(10, 8, 10, 8);
    rows->setSpacing(8);
    outer->addWidget(box);
    form->addWidget(container);
    if (section != nullptr) {
        *section = container;
    }
    return rows;
}

class WarningIcon : public QWidget {
public:
    explicit WarningIcon(QWidget* parent)
        : QWidget(parent) {
        setFixedSize(16, 16);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Symbols::paint(painter, Symbol::exclamationmarkTriangle, QRectF(rect()),
                       Theme::text(TextLevel::secondary, Theme::appearanceOf(palette())));
    }
};

} // namespace

SettingsView::SettingsView(SettingsModel& model, UpdaterController& updater,
                           const GlobalShortcuts::Name& shortcutName, About about,
                           std::function<void()> onClose, QWidget* parent)
    : QWidget(parent)
    , model_(&model)
    , updater_(&updater)
    , onClose_(std::move(onClose)) {
    setFixedWidth(width);
    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(20, 16, 20, 16);
    form->setSpacing(14);

    QVBoxLayout* shortcut = addSection(form, this, QStringLiteral("Shortcut"));
    recorder_ = new GlobalShortcuts::Recorder(QStringLiteral("Open Huddlepod:"), shortcutName);
    shortcut->addWidget(recorder_);
    form->addWidget(secondaryText(
        QStringLiteral(
            "Clearing the shortcut leaves the tray icon as the only way in. Some apps — launchers, clipboard "
            "managers — claim shortcuts the desktop can't report; if yours does nothing, try another."),
        this));

    QVBoxLayout* general = addSection(form, this, QStringLiteral("General"));
    launchAtLogin_ = new QCheckBox(QStringLiteral("Launch at login"));
    connect(launchAtLogin_, &QCheckBox::clicked, this, [this](bool on) {
        model_->setLaunchAtLogin(on);
        sync(); // the state read back may differ from the click
    });
    general->addWidget(launchAtLogin_);
    auto* appearanceRow = new QHBoxLayout;
    appearanceRow->addWidget(new QLabel(QStringLiteral("Appearance:")));
    appearanceRow->addStretch(1);
    auto* picker = new SegmentedToggle<AppearancePreference>(
        Binding<AppearancePreference>{[this] { return model_->appearance(); },
                                      [this](const AppearancePreference& p) { model_->setAppearance(p); }},
        QStringLiteral("Appearance"));
    picker->setBordered(true); // a control on the window, unlike the panel's
    appearance_ = picker;
    appearanceRow->addWidget(picker);
    general->addLayout(appearanceRow);

    QVBoxLayout* notice = addSection(form, this, QString(), &notice_);
    auto* noticeRow = new QHBoxLayout;
    noticeText_ = secondaryText(QString(), nullptr);
    noticeRow->addWidget(noticeText_, 1, Qt::AlignTop);
    noticeRow->addSpacing(rowSpacing);
    openLoginItems_ = new QPushButton(QStringLiteral("Open Autostart Folder…"));
    connect(openLoginItems_, &QPushButton::clicked, this,
            [this] { model_->loginItem().openSystemSettings(); });
    noticeRow->addWidget(openLoginItems_, 0, Qt::AlignTop);
    notice->addLayout(noticeRow);

    QVBoxLayout* panel = addSection(form, this, QString());
    auto* panelRow = new QHBoxLayout;
    auto* panelColumn = new QVBoxLayout;
    panelColumn->setSpacing(2);
    panelColumn->addWidget(new QLabel(QStringLiteral("Panel position")));
    panelDetail_ = secondaryText(QString(), nullptr);
    panelColumn->addWidget(panelDetail_);
    panelRow->addLayout(panelColumn, 1);
    panelRow->addSpacing(rowSpacing);
    reset_ = new QPushButton(QStringLiteral("Reset"));
    reset_->setAccessibleName(QStringLiteral("Reset panel position"));
    connect(reset_, &QPushButton::clicked, this, [this] {
        model_->onResetPanelPosition();
        model_->setPanelDetached(model_->readPanelDetached());
    });
    panelRow->addWidget(reset_, 0, Qt::AlignVCenter);
    panel->addLayout(panelRow);

    QVBoxLayout* aboutRows = addSection(form, this, QStringLiteral("About"));
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel(QStringLiteral("Huddlepod:")));
    versionRow->addStretch(1);
    version_ = new SecondaryLabel(QStringLiteral("Version ") + about.version + QStringLiteral(" (") +
                                  about.build + QStringLiteral(")"));
    versionRow->addWidget(version_);
    aboutRows->addLayout(versionRow);
    checkForUpdates_ = new QPushButton(QStringLiteral("Check for Updates…"));
    connect(checkForUpdates_, &QPushButton::clicked, this, [this] {
        window()->activateWindow();
        updater_->checkForUpdates();
    });
    aboutRows->addWidget(checkForUpdates_, 0, Qt::AlignLeft);
    automaticUpdates_ = new QCheckBox(QStringLiteral("Check for updates automatically"));
    connect(automaticUpdates_, &QCheckBox::clicked, this,
            [this](bool on) { updater_->setAutomaticallyChecksForUpdates(on); });
    aboutRows->addWidget(automaticUpdates_);

    QVBoxLayout* error = addSection(form, this, QString(), &errorSection_);
    auto* errorRow = new QHBoxLayout;
    errorRow->addWidget(new WarningIcon(nullptr), 0, Qt::AlignTop);
    errorText_ = secondaryText(QString(), nullptr);
    errorText_->setFont(font());
    errorRow->addWidget(errorText_, 1);
    error->addLayout(errorRow);

    connect(model_, &SettingsModel::changed, this, &SettingsView::sync);
    connect(updater_, &UpdaterController::canCheckForUpdatesChanged, this, &SettingsView::sync);
    sync();
}

void SettingsView::sync() {
    const LoginItem::State state = model_->loginItemState();
    launchAtLogin_->setChecked(model_->launchAtLogin());
    launchAtLogin_->setEnabled(state != LoginItem::State::unavailable);
    static_cast<SegmentedToggle<AppearancePreference>*>(appearance_)->refresh();

    notice_->setVisible(state == LoginItem::State::requiresApproval ||
                        state == LoginItem::State::unavailable);
    openLoginItems_->setVisible(state == LoginItem::State::requiresApproval);
    noticeText_->setText(state == LoginItem::State::requiresApproval
                             ? QStringLiteral("The desktop is blocking Huddlepod from opening at login.")
                             : QStringLiteral("The desktop can't register this copy of Huddlepod to open at "
                                              "login. Reopening it usually fixes it."));

    panelDetail_->setText(model_->isPanelDetached()
                              ? QStringLiteral("The panel has been dragged off the tray. While it's detached "
                                               "it stays put instead of closing when you click away.")
                              : QStringLiteral("The panel opens under the tray icon. Drag it anywhere to "
                                               "keep it open while you work."));
    reset_->setEnabled(model_->isPanelDetached());

    checkForUpdates_->setEnabled(updater_->canCheckForUpdates());
    // A build without a feed checks nothing, whatever an earlier build stored.
    automaticUpdates_->setEnabled(updater_->hasFeed());
    automaticUpdates_->setChecked(updater_->hasFeed() && updater_->automaticallyChecksForUpdates());

    errorSection_->setVisible(model_->errorMessage().has_value());
    errorText_->setText(model_->errorMessage().value_or(QString()));

    // As tall as the rows shown need at the form's width. Every layout and size kept from the last texts goes
    // first: a nested row would otherwise answer with its old height until its next turn.
    for (QWidget* widget : findChildren<QWidget*>()) {
        widget->updateGeometry();
    }
    for (QLayout* each : findChildren<QLayout*>()) {
        each->invalidate();
    }
    setFixedHeight(layout()->totalHeightForWidth(width));
}

void SettingsView::keyPressEvent(QKeyEvent* event) {
    const bool escape = event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
    const bool controlPeriod = event->key() == Qt::Key_Period && event->modifiers() == Qt::ControlModifier;
    if ((escape || controlPeriod) && onClose_) {
        onClose_();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace huddlepod
