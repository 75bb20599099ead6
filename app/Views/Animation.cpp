// Timing curves and the reduce-motion-aware animation runners.
#include "app/Views/Animation.h"

#include "platform/workspace/WorkspaceSettings.h"

#include <QPointF>
#include <QPropertyAnimation>
#include <QVariantAnimation>

namespace huddlepod {

namespace {

QEasingCurve cubicBezier(QPointF first, QPointF second) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

bool animatesNow(const AnimationSpec& spec) {
    return spec.durationMs > 0 && !WorkspaceSettings::shared().reduceMotion();
}

} // namespace

AnimationSpec AnimationSpec::quickEaseOut() {
    return {120, Animation::easeOut()};
}

AnimationSpec AnimationSpec::pageEaseInOut() {
    return {140, Animation::easeInOut()};
}

QEasingCurve Animation::easeOut() {
    return cubicBezier(QPointF(0, 0), QPointF(0.58, 1));
}

QEasingCurve Animation::easeInOut() {
    return cubicBezier(QPointF(0.42, 0), QPointF(0.58, 1));
}

QVariantAnimation* Animation::run(QObject* owner, const AnimationSpec& spec,
                                  std::function<void(qreal)> step) {
    if (!animatesNow(spec)) {
        step(1.0);
        return nullptr;
    }
    auto* animation = new QVariantAnimation(owner);
    animation->setDuration(spec.durationMs);
    animation->setEasingCurve(spec.curve);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    QObject::connect(animation, &QVariantAnimation::valueChanged,
                     [step = std::move(step)](const QVariant& value) { step(value.toReal()); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

QVariantAnimation* Animation::animateProperty(QObject* target, const char* property, const QVariant& end,
                                              const AnimationSpec& spec) {
    if (!animatesNow(spec)) {
        target->setProperty(property, end);
        return nullptr;
    }
    auto* animation = new QPropertyAnimation(target, property, target);
    animation->setDuration(spec.durationMs);
    animation->setEasingCurve(spec.curve);
    animation->setEndValue(end);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

} // namespace huddlepod
