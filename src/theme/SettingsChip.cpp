#include "SettingsChip.h"

#include "Effects.h"
#include "Shapes.h"
#include "Vortan.h"

#include <QLinearGradient>

#include <cmath>

namespace fray {

namespace {
constexpr double textInset = 9; // from the chip's left end to its text, past the slant
constexpr double hoverOpacity = 0.6;
} // namespace

SettingsChip::SettingsChip(const QString& text, double kerning, QWidget* parent)
    : QAbstractButton(parent), kerning_(kerning) {
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setChipHeight(20);
}

QFont SettingsChip::textFont() const {
    return Vortan::kerned(Vortan::fontDemi(textSize), kerning_);
}

void SettingsChip::setFixedChipSize(QSizeF size) {
    size_ = size;
    centred_ = true;
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateGeometry();
}

void SettingsChip::setChipHeight(double height) {
    size_ = {0, height};
    centred_ = false;
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    updateGeometry();
}

void SettingsChip::setSelected(bool on) {
    if (on == selected_) return;
    selected_ = on;
    update();
}

void SettingsChip::setNote(const QString& note) {
    if (note == note_) return;
    note_ = note;
    updateGeometry();
    update();
}

QSize SettingsChip::sizeHint() const {
    if (centred_) return {int(std::ceil(size_.width())), int(std::ceil(size_.height()))};
    double w = 2 * textInset + VortanPaint::textWidth(textFont(), text());
    if (!note_.isEmpty()) w += 12 + VortanPaint::textWidth(Vortan::fontDemi(noteSize), note_);
    return {int(std::ceil(w)), int(std::ceil(size_.height()))};
}

QSize SettingsChip::minimumSizeHint() const {
    return centred_ ? sizeHint() : QSize(int(4 * textInset), int(std::ceil(size_.height())));
}

void SettingsChip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape = Slant{}.path(body);

    // Dimming applies to the chip as a whole, as one layer, not to each stroke in turn.
    double opacity = selected_ ? 1 : (underMouse() || isDown() ? hoverOpacity : dimmedOpacity);
    Effects::drawGroup(p, rect(), opacity, 1, [&](QPainter& lp) {
        lp.setRenderHint(QPainter::Antialiasing, true);
        if (selected_) {
            QLinearGradient g(body.topLeft(), body.bottomLeft());
            g.setColorAt(0, Vortan::goldLight());
            g.setColorAt(1, Vortan::gold());
            lp.fillPath(shape, g);
        } else {
            lp.fillPath(shape, QColor::fromRgbF(1, 1, 1, 0.08f));
            lp.setPen(QPen(Vortan::gold(), 1));
            lp.drawPath(shape);
        }

        QColor ink = selected_ ? Vortan::plateBottom() : QColor(Qt::white);
        QRectF textRect = body.adjusted(textInset, 0, -textInset, 0);
        if (!note_.isEmpty()) {
            QFont nf = Vortan::fontDemi(noteSize);
            double nw = VortanPaint::textWidth(nf, note_);
            VortanPaint::drawLine(lp, textRect, nf, selected_ ? Vortan::damageRed() : Vortan::rageRed(),
                                  note_, Qt::AlignRight);
            textRect.setRight(textRect.right() - nw - 8);
        }
        VortanPaint::drawLine(lp, centred_ ? body : textRect, textFont(), ink, text(),
                              centred_ ? Qt::AlignHCenter : Qt::AlignLeft, !centred_);
    });

    if (focus_.shows(hasFocus())) {
        p.setPen(QPen(VortanPaint::focusColor(), VortanPaint::focusWidth));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shape);
    }
}

void SettingsChip::focusInEvent(QFocusEvent* e) {
    focus_.note(e);
    QAbstractButton::focusInEvent(e);
}

} // namespace fray
