// The application's widget style: Fusion, with standard controls whose edges read on the window in both
// looks.
#pragma once

#include <QProxyStyle>

namespace huddlepod {

// Fusion draws the edges of check boxes, radio buttons, fields and buttons a shade off the window colour,
// which all but vanishes on a dark window; here they take Theme::controlEdge. Push buttons are drawn here
// whole: Fusion caches their pixmaps under the palette's key, and each new window's palette has a new key,
// so every window opened would leave its buttons in the cache. Buttons, check boxes and radio buttons under
// the pointer take a fill a shade towards the text.
class AppStyle : public QProxyStyle {
public:
    AppStyle();

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};

} // namespace huddlepod
