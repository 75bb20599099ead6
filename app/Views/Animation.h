// Animation helpers with the views' durations and curves; under reduce motion the end state is applied at
// once.
#pragma once

#include <QEasingCurve>
#include <QVariant>

#include <functional>

class QObject;
class QVariantAnimation;

namespace huddlepod {

struct AnimationSpec {
    int durationMs = 0;
    QEasingCurve curve;

    // 0.12 s ease-out: hint fade, list scroll, segment taps.
    static AnimationSpec quickEaseOut();
    // 0.14 s ease-in-out: page pushes.
    static AnimationSpec pageEaseInOut();
};

namespace Animation {

// The ease-out and ease-in-out timing curves, cubic Béziers (0, 0, 0.58, 1) and (0.42, 0, 0.58, 1).
QEasingCurve easeOut();
QEasingCurve easeInOut();

// Runs step with the eased progress from 0 to 1 over the given duration, owned by owner. When reduce motion
// is on at this moment, or the duration is 0, calls step(1) at once and returns nullptr.
QVariantAnimation* run(QObject* owner, const AnimationSpec& spec, std::function<void(qreal)> step);

// Animates a property of target to end the same way; sets it at once under reduce motion.
QVariantAnimation* animateProperty(QObject* target, const char* property, const QVariant& end,
                                   const AnimationSpec& spec);

} // namespace Animation

} // namespace huddlepod
