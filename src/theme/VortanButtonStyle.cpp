#include "VortanButtonStyle.h"

#include "Effects.h"
#include "Shapes.h"
#include "Vortan.h"

#include <QKeyEvent>
#include <QLinearGradient>

#include <cmath>

namespace fray {

QFont VortanButtonStyle::labelFont() {
    return Vortan::kerned(Vortan::fontDemi(labelSize), kerning);
}

QSizeF VortanButtonStyle::size(const QString& label) const {
    // The slant eats into both ends; widen by it so the padding stays clear of the edges.
    return {VortanPaint::textWidth(labelFont(), label) + 2 * padding + Slant::lean(height), height};
}

void VortanButtonStyle::paint(QPainter& p, const QRectF& rect, const QString& label, const State& s) const {
    if (s.pressed) {
        // The pressed look dims the button as one layer.
        Effects::drawGroup(p, rect, pressedOpacity, 1, [&](QPainter& lp) {
            paint(lp, rect, label, {false, false, s.focused});
        });
        return;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);

    QRectF body = rect.adjusted(0.5, 0.5, -0.5, -0.5); // keep the 1-point outline inside
    QPainterPath shape = Slant{}.path(body);
    if (prominent) {
        QLinearGradient g(body.topLeft(), body.bottomLeft());
        g.setColorAt(0, Vortan::goldLight());
        g.setColorAt(1, Vortan::gold());
        p.fillPath(shape, g);
    } else if (danger) {
        p.fillPath(shape, Vortan::withOpacity(Vortan::rageRed(), 0.85));
    } else {
        QLinearGradient g(body.topLeft(), body.bottomLeft());
        g.setColorAt(0, Vortan::plateTop());
        g.setColorAt(1, Vortan::plateBottom());
        p.fillPath(shape, g);
    }
    if (s.hovered) p.fillPath(shape, QColor::fromRgbF(1, 1, 1, 0.08f));

    QColor line = danger ? Vortan::rageRed() : Vortan::gold();
    QPen pen(Vortan::withOpacity(line, 0.5), 1);
    if (s.focused) pen = QPen(VortanPaint::focusColor(), VortanPaint::focusWidth);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);

    QColor text = prominent ? Vortan::plateBottom() : QColor(Qt::white);
    VortanPaint::drawLine(p, body, labelFont(), text, label, Qt::AlignHCenter);
    p.restore();
}

VortanButton::VortanButton(const QString& label, VortanButtonStyle style, QWidget* parent)
    : QAbstractButton(parent), style_(style) {
    setText(label);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize VortanButton::sizeHint() const {
    QSizeF s = style_.size(text());
    return {int(std::ceil(s.width())), int(std::ceil(s.height()))};
}

void VortanButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    style_.paint(p, rect(), text(), {isDown(), underMouse(), focus_.shows(hasFocus())});
}

void VortanButton::focusInEvent(QFocusEvent* e) {
    focus_.note(e);
    QAbstractButton::focusInEvent(e);
}

void VortanButton::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

} // namespace fray
