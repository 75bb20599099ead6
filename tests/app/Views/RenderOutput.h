// Renders a widget in the light and the dark look to PNG files under $HUDDLEPOD_TEST_OUTPUT/, for people to
// look at, and gives tests transparent renders to probe colours in.
#pragma once

#include "ui/Theme.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace huddlepod::testsupport {

// The widget alone on a transparent canvas at twice its size, in the given look.
inline QImage renderTransparent(QWidget& widget, Appearance appearance, qreal scale = 2.0) {
    widget.setPalette(Theme::palette(appearance));
    widget.ensurePolished();
    QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// name-light.png and name-dark.png in `kind`/, on the panel's fill with a margin.
inline void saveLooks(QWidget& widget, const QString& name,
                      const QString& kind = QStringLiteral("components"), int margin = 16) {
    const QString folder = qEnvironmentVariable("HUDDLEPOD_TEST_OUTPUT") + QLatin1Char('/') + kind;
    if (folder.startsWith(QLatin1Char('/'))) {
        QDir().mkpath(folder);
    } else {
        return;
    }
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        const QImage content = renderTransparent(widget, appearance);
        QImage image(content.size() + QSize(4, 4) * margin, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(content.devicePixelRatio());
        image.fill(Theme::materialFill(Material::menu, appearance));
        {
            QPainter painter(&image);
            painter.drawImage(QPoint(margin, margin), content);
        }
        image.save(
            folder + QLatin1Char('/') + name +
            (appearance == Appearance::dark ? QStringLiteral("-dark.png") : QStringLiteral("-light.png")));
    }
    widget.setPalette(Theme::palette(Appearance::light));
}

} // namespace huddlepod::testsupport
