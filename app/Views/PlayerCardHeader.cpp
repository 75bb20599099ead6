// Layout, painting and accessibility of the player card's header.
#include "app/Views/PlayerCardHeader.h"

#include "app/Views/AccessibleElements.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace huddlepod {

namespace {

QFont nameFont() {
    return Theme::font(17, FontWeight::semibold);
}
QFont positionFont() {
    return Theme::font(12, FontWeight::medium);
}
QFont biographyFont() {
    return Theme::font(11);
}
constexpr qreal starPixelSize = 11;

const QString partSeparator = QStringLiteral("  ·  ");

struct Line {
    qsizetype start = 0; // in the whole text
    QString text;
};

// A text too long for one line, broken at word boundaries; offset is where it starts in the whole text.
std::vector<Line> wordWrapped(const QString& text, qsizetype offset, const QFont& font, qreal width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    std::vector<Line> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.push_back({offset + line.textStart(), text.mid(line.textStart(), line.textLength()).trimmed()});
    }
    layout.endLayout();
    return lines;
}

// The biography broken into lines between its parts, so no separator is left dangling at a line's end; a part
// too long for a line of its own wraps between words. Past the last allowed line the rest is elided into it.
QString wrapped(const QString& text, const QFont& font, qreal width, int maximumLines) {
    const QFontMetricsF metrics(font);
    std::vector<Line> lines;
    Line current;
    qsizetype start = 0;
    for (const QString& part : text.split(partSeparator)) {
        const QString candidate = current.text.isEmpty() ? part : current.text + partSeparator + part;
        if (current.text.isEmpty()) {
            current.start = start;
        }
        if (metrics.horizontalAdvance(candidate) <= width) {
            current.text = candidate;
        } else {
            if (!current.text.isEmpty()) {
                lines.push_back(current);
            }
            std::vector<Line> wrappedLines = wordWrapped(part, start, font, width);
            current = wrappedLines.empty() ? Line{start, {}} : wrappedLines.back();
            lines.insert(lines.end(), wrappedLines.begin(),
                         wrappedLines.end() - (wrappedLines.empty() ? 0 : 1));
        }
        start += part.size() + partSeparator.size();
    }
    lines.push_back(current);
    if (int(lines.size()) > maximumLines) {
        const std::size_t last = std::size_t(maximumLines - 1);
        lines[last].text = text.mid(lines[last].start);
        lines.resize(last + 1);
    }
    QStringList shown;
    for (const Line& line : lines) {
        shown << metrics.elidedText(line.text, Qt::ElideRight, width);
    }
    return shown.join(QLatin1Char('\n'));
}

// The name, the star (when shown), the position (when there is one) and the biography, each its own element.
class PlayerCardHeaderAccessible : public PaintedAccessible {
public:
    enum Element { name, star, position, biography };

    explicit PlayerCardHeaderAccessible(PlayerCardHeader* header)
        : PaintedAccessible(header, QAccessible::Grouping) {}

    std::vector<int> elementChildren(int element) const override {
        if (element != self) {
            return {};
        }
        std::vector<int> children{name};
        if (header()->isHallOfFamer()) {
            children.push_back(star);
        }
        if (header()->position()) {
            children.push_back(position);
        }
        if (!header()->biography().isEmpty()) {
            children.push_back(biography);
        }
        return children;
    }
    QAccessible::Role elementRole(int element) const override {
        return element == star ? QAccessible::Graphic : QAccessible::StaticText;
    }
    QString elementText(int element, QAccessible::Text text) const override {
        if (text != QAccessible::Name) {
            return {};
        }
        switch (element) {
        case name:
            return header()->name();
        case star:
            return QStringLiteral("Hall of Fame");
        case position:
            return header()->position().value_or(QString());
        default:
            return header()->biography();
        }
    }
    QRectF elementRect(int element) const override {
        const PlayerCardHeader::Layout layout = header()->layoutFor(header()->width());
        switch (element) {
        case name:
            return layout.name;
        case star:
            return layout.star.value_or(QRectF());
        case position:
            return layout.position.value_or(QRectF());
        default:
            return layout.biography;
        }
    }

private:
    PlayerCardHeader* header() const { return static_cast<PlayerCardHeader*>(widget()); }
};

QAccessibleInterface* headerInterface(const QString& key, QObject* object) {
    if (object != nullptr && object->isWidgetType() &&
        key == QLatin1String(PlayerCardHeader::staticMetaObject.className())) {
        return new PlayerCardHeaderAccessible(static_cast<PlayerCardHeader*>(object));
    }
    return nullptr;
}

void installHeaderAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&headerInterface);
        return true;
    }();
    (void)installed;
}

} // namespace

PlayerCardHeader::PlayerCardHeader(QString name, std::optional<QString> position, bool isHallOfFamer,
                                   QWidget* parent)
    : QWidget(parent)
    , name_(std::move(name))
    , position_(std::move(position))
    , isHallOfFamer_(isHallOfFamer) {
    installWidgetAccessibility();
    installHeaderAccessibility(); // before anything here asks for this widget's interface
    setFocusPolicy(Qt::NoFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PlayerCardHeader::setBiography(const QString& biography) {
    if (biography == biography_) {
        return;
    }
    biography_ = biography;
    updateGeometry();
    update();
}

PlayerCardHeader::Layout PlayerCardHeader::layoutFor(int width) const {
    Layout layout;
    const qreal left = horizontalPadding;
    const qreal right = std::max(left, qreal(width - horizontalPadding));
    const QFontMetricsF nameMetrics(nameFont());
    const qreal rowHeight = Theme::lineHeight(nameFont());
    const qreal top = verticalPadding;

    // The position keeps its place at the trailing edge; the name gives way and is elided.
    qreal nameRight = right;
    if (position_) {
        const qreal positionWidth = std::ceil(QFontMetricsF(positionFont()).horizontalAdvance(*position_));
        const qreal positionHeight = Theme::lineHeight(positionFont());
        layout.position = QRectF(right - positionWidth, top + std::round((rowHeight - positionHeight) / 2),
                                 positionWidth, positionHeight);
        nameRight = layout.position->left() - minimumSpacer;
    }
    QSizeF star;
    if (isHallOfFamer_) {
        star = Symbols::size(Symbol::starFill, starPixelSize);
        nameRight -= nameSpacing + star.width();
    }
    const qreal room = std::max(0.0, nameRight - left);
    layout.shownName = nameMetrics.elidedText(name_, Qt::ElideRight, room);
    const qreal nameWidth = std::min(room, std::ceil(nameMetrics.horizontalAdvance(layout.shownName)));
    layout.name = QRectF(left, top, nameWidth, rowHeight);
    if (isHallOfFamer_) {
        layout.star = QRectF(layout.name.right() + nameSpacing,
                             top + std::round((rowHeight - star.height()) / 2), star.width(), star.height());
    }

    const qreal biographyTop = top + rowHeight + rowSpacing;
    const qreal biographyWidth = right - left;
    const qreal lineHeight = Theme::lineHeight(biographyFont());
    layout.shownBiography = biography_.isEmpty()
                                ? QString()
                                : wrapped(biography_, biographyFont(), biographyWidth, maximumBiographyLines);
    const int lines = int(layout.shownBiography.count(QLatin1Char('\n'))) + 1;
    layout.biography = QRectF(left, biographyTop, biographyWidth, lineHeight * lines);
    layout.height = layout.biography.bottom() + verticalPadding;
    return layout;
}

QSize PlayerCardHeader::sizeHint() const {
    return {440, heightForWidth(440)};
}

QSize PlayerCardHeader::minimumSizeHint() const {
    return {2 * horizontalPadding, heightForWidth(440)};
}

int PlayerCardHeader::heightForWidth(int width) const {
    return int(std::ceil(layoutFor(width).height));
}

void PlayerCardHeader::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const Layout layout = layoutFor(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setFont(nameFont());
    painter.setPen(Theme::text(TextLevel::primary, appearance, contrast));
    painter.drawText(layout.name.adjusted(0, 0, 1, 0), Qt::AlignLeft | Qt::AlignVCenter, layout.shownName);
    if (layout.star) {
        Symbols::paint(painter, Symbol::starFill, *layout.star, Theme::hallOfFame(appearance));
    }
    const QColor secondary = Theme::text(TextLevel::secondary, appearance, contrast);
    painter.setPen(secondary);
    if (layout.position) {
        painter.setFont(positionFont());
        painter.drawText(layout.position->adjusted(0, 0, 1, 0), Qt::AlignRight | Qt::AlignVCenter,
                         *position_);
    }
    painter.setFont(biographyFont());
    painter.drawText(layout.biography.adjusted(0, 0, 1, 0), Qt::AlignLeft | Qt::AlignTop,
                     layout.shownBiography);
}

} // namespace huddlepod
