#pragma once

#include "VortanPaint.h"

#include <QAbstractButton>

namespace fray {

// The look of a settings switch row: the label on the left and a slanted switch with a
// knob on the right.
struct VortanToggleStyle {
    static constexpr double switchWidth = 46;
    static constexpr double switchHeight = 17;
    static constexpr double knobWidth = 15;
    static constexpr double knobInset = 2;
    static constexpr double labelSize = 11.5;

    struct State {
        bool on = false;
        bool hovered = false;
        bool focused = false;
    };

    static QSizeF minimumSize(const QString& label);
    static QRectF switchRect(const QRectF& row);
    static void paint(QPainter& p, const QRectF& row, const QString& label, const State& s);
};

// A whole-row switch: a click anywhere on it, or Space while it has focus, flips it.
// `clicked(bool)` reports the user's flips; setChecked() changes the look silently.
class VortanToggle : public QAbstractButton {
    Q_OBJECT
  public:
    explicit VortanToggle(const QString& label, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent* e) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

  private:
    VortanPaint::KeyboardFocus focus_;
};

} // namespace fray
