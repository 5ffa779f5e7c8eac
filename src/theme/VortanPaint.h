#pragma once

#include <QColor>
#include <QFocusEvent>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

// Small drawing helpers the settings controls share.
namespace fray::VortanPaint {

// Whether focus arrived from the keyboard, so the focus outline shows for Tab but not
// for a click (where the pressed look already says which control is in use).
struct KeyboardFocus {
    bool fromKeyboard = false;
    void note(const QFocusEvent* e) {
        if (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
            e->reason() == Qt::ShortcutFocusReason)
            fromKeyboard = true;
        else if (e->reason() == Qt::MouseFocusReason)
            fromKeyboard = false;
    }
    bool shows(bool hasFocus) const { return hasFocus && fromKeyboard; }
};

// The outline colour of a focused control: it must read on gold, dark and dimmed fills.
QColor focusColor();
inline constexpr double focusWidth = 1.5;

// Plain single-line text, vertically centred in `rect`; elided at the right when it does
// not fit and `elide` is set.
void drawLine(QPainter& p, const QRectF& rect, const QFont& font, const QColor& color, const QString& text,
              Qt::Alignment align, bool elide = false);

// The advance width of `text` in `font`, letter spacing included.
double textWidth(const QFont& font, const QString& text);

} // namespace fray::VortanPaint
