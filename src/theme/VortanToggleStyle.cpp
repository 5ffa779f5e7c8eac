#include "VortanToggleStyle.h"

#include "Shapes.h"
#include "Vortan.h"

#include <QFontMetricsF>
#include <QLinearGradient>

#include <cmath>

namespace fray {

namespace {
QFont labelFont() {
    return Vortan::fontDemi(VortanToggleStyle::labelSize);
}
constexpr double labelGap = 12; // least room between the label and the switch
} // namespace

QSizeF VortanToggleStyle::minimumSize(const QString& label) {
    QFontMetricsF fm(labelFont());
    return {VortanPaint::textWidth(labelFont(), label) + labelGap + switchWidth,
            std::max(switchHeight + 2, fm.height())}; // room for the outline's outer half
}

QRectF VortanToggleStyle::switchRect(const QRectF& row) {
    return {row.right() - switchWidth, row.center().y() - switchHeight / 2, switchWidth, switchHeight};
}

void VortanToggleStyle::paint(QPainter& p, const QRectF& row, const QString& label, const State& s) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRectF sw = switchRect(row);

    QRectF labelRect(row.left(), row.top(), sw.left() - labelGap - row.left(), row.height());
    VortanPaint::drawLine(p, labelRect, labelFont(), QColor::fromRgbF(1, 1, 1, s.hovered ? 1.0f : 0.88f),
                          label, Qt::AlignLeft, true);

    QPainterPath body = Slant{}.path(sw);
    if (s.on) {
        QLinearGradient g(sw.topLeft(), sw.topRight());
        g.setColorAt(0, Vortan::barYellow());
        g.setColorAt(1, Vortan::barOrange());
        p.fillPath(body, g);
    } else {
        p.fillPath(body, QColor::fromRgbF(0, 0, 0, 0.45f));
    }

    QRectF knob(s.on ? sw.right() - knobInset - knobWidth : sw.left() + knobInset, sw.top() + knobInset,
                knobWidth, sw.height() - 2 * knobInset);
    p.fillPath(Slant{}.path(knob), QColor::fromRgbF(1, 1, 1, s.on ? 0.82f : 0.7f));

    QPen outline(Vortan::withOpacity(Vortan::gold(), s.on ? 0.9 : 0.35), 1);
    if (s.focused) outline = QPen(VortanPaint::focusColor(), VortanPaint::focusWidth);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.restore();
}

VortanToggle::VortanToggle(const QString& label, QWidget* parent) : QAbstractButton(parent) {
    setText(label);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize VortanToggle::sizeHint() const {
    QSizeF s = VortanToggleStyle::minimumSize(text());
    return {int(std::ceil(s.width())), int(std::ceil(s.height()))};
}

void VortanToggle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    VortanToggleStyle::paint(p, rect(), text(), {isChecked(), underMouse(), focus_.shows(hasFocus())});
}

void VortanToggle::focusInEvent(QFocusEvent* e) {
    focus_.note(e);
    QAbstractButton::focusInEvent(e);
}

} // namespace fray
