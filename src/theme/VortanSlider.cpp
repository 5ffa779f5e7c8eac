#include "VortanSlider.h"

#include "Shapes.h"
#include "Vortan.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace fray {

namespace {
constexpr double minimumFill = 10; // the filled part never vanishes, even at the lower end
constexpr int tickDivisions = 8;
} // namespace

double VortanSlider::valueAt(double x, double width, double lower, double upper) {
    double f = width > 0 && std::isfinite(x) ? std::clamp(x / width, 0.0, 1.0) : 0.0;
    return std::round(lower + (upper - lower) * f);
}

double VortanSlider::fractionOf(double value, double lower, double upper) {
    if (!(upper > lower) || !std::isfinite(value)) return 0;
    return std::clamp((value - lower) / (upper - lower), 0.0, 1.0);
}

double VortanSlider::stepFrom(double value, double step, double lower, double upper) {
    double shown = std::isfinite(value) ? std::trunc(std::clamp(value, lower, upper)) : lower;
    return std::clamp(shown + step, lower, upper);
}

VortanSlider::VortanSlider(double lower, double upper, QWidget* parent)
    : QWidget(parent), lower_(lower), upper_(upper), value_(lower) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void VortanSlider::setValue(double v) {
    if (v == value_) return;
    value_ = v;
    update();
}

QSize VortanSlider::sizeHint() const {
    return {200, int(trackHeight)};
}
QSize VortanSlider::minimumSizeHint() const {
    return {40, int(trackHeight)};
}

void VortanSlider::paint(QPainter& p, const QRectF& track, double fraction, bool focused) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRectF body = track.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape = Slant{}.path(body);
    p.fillPath(shape, Vortan::barBack());

    double fillWidth = std::max(fraction * body.width(), minimumFill);
    QRectF fill(body.left(), body.top(), std::min(fillWidth, body.width()), body.height());
    QLinearGradient g(fill.topLeft(), fill.topRight());
    g.setColorAt(0, Vortan::barPale());
    g.setColorAt(0.5, Vortan::barYellow());
    g.setColorAt(1, Vortan::barOrange());
    p.fillPath(Slant{}.path(fill), g);

    // Inner eighths only: a tick on either end would sit on the outline.
    p.save();
    p.setClipPath(shape);
    QColor tick = QColor::fromRgbF(0, 0, 0, 0.3f);
    for (int i = 1; i < tickDivisions; ++i) {
        double x = body.left() + body.width() * i / tickDivisions;
        p.fillRect(QRectF(x - 0.5, body.top(), 1, body.height()), tick);
    }
    p.restore();

    QPen pen(Vortan::withOpacity(Vortan::gold(), 0.55), 1);
    if (focused) pen = QPen(VortanPaint::focusColor(), VortanPaint::focusWidth);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.restore();
}

void VortanSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRectF track(0, (height() - trackHeight) / 2, width(), trackHeight);
    paint(p, track, fractionOf(value_, lower_, upper_), focus_.shows(hasFocus()));
}

void VortanSlider::moveTo(double v) {
    if (v == value_) return; // a drag within one whole number writes nothing
    value_ = v;
    update();
    emit valueChanged(v);
}

void VortanSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    dragging_ = true;
    moveTo(valueAt(e->position().x(), width(), lower_, upper_));
}

void VortanSlider::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_) return QWidget::mouseMoveEvent(e);
    moveTo(valueAt(e->position().x(), width(), lower_, upper_));
}

void VortanSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) dragging_ = false;
    QWidget::mouseReleaseEvent(e);
}

void VortanSlider::keyPressEvent(QKeyEvent* e) {
    double step = 0;
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        step = -1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        step = 1;
        break;
    case Qt::Key_PageDown:
        step = -10;
        break;
    case Qt::Key_PageUp:
        step = 10;
        break;
    case Qt::Key_Home:
        moveTo(lower_);
        return;
    case Qt::Key_End:
        moveTo(upper_);
        return;
    default:
        return QWidget::keyPressEvent(e);
    }
    moveTo(stepFrom(value_, step, lower_, upper_));
}

void VortanSlider::focusInEvent(QFocusEvent* e) {
    focus_.note(e);
    QWidget::focusInEvent(e);
}

} // namespace fray
