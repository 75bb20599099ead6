// The top of a player card: the name, the Hall of Fame star and the position on one line, and under them the
// biography in at most two lines.
#pragma once

#include <QString>
#include <QWidget>

#include <optional>

namespace huddlepod {

class PlayerCardHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalPadding = 12;
    static constexpr int verticalPadding = 10;
    static constexpr int rowSpacing = 3;
    static constexpr int nameSpacing = 6;
    static constexpr int minimumSpacer = 4;
    static constexpr int maximumBiographyLines = 2;

    struct Layout {
        QRectF name;
        QString shownName; // elided to its room
        std::optional<QRectF> star;
        std::optional<QRectF> position;
        QRectF biography;
        QString shownBiography; // broken into its lines, the last elided when it runs longer
        qreal height = 0;
    };

    PlayerCardHeader(QString name, std::optional<QString> position, bool isHallOfFamer,
                     QWidget* parent = nullptr);

    const QString& name() const { return name_; }
    const std::optional<QString>& position() const { return position_; }
    bool isHallOfFamer() const { return isHallOfFamer_; }
    const QString& biography() const { return biography_; }
    void setBiography(const QString& biography);

    Layout layoutFor(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    std::optional<QString> position_;
    bool isHallOfFamer_;
    QString biography_;
};

} // namespace huddlepod
