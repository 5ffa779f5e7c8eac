#include "LineLabel.h"

#include "VortanPaint.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace fray {

LineLabel::LineLabel(const QString& text, QFont font, QColor color, QWidget* parent)
    : QWidget(parent), text_(text), font_(std::move(font)), color_(std::move(color)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LineLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

QSize LineLabel::sizeHint() const {
    QFontMetricsF fm(font_);
    // A little room on the right for the italic overhang of the last letter.
    return {int(std::ceil(VortanPaint::textWidth(font_, text_) + 3)), int(std::ceil(fm.height()))};
}

void LineLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    VortanPaint::drawLine(p, rect(), font_, color_, text_, Qt::AlignLeft);
}

} // namespace fray
