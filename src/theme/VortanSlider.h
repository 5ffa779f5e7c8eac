#pragma once

#include "VortanPaint.h"

#include <QWidget>

namespace fray {

// A slanted bar slider over a closed range that only produces whole numbers. A press
// anywhere on the track jumps there and dragging follows (no minimum distance); the
// arrow keys step by one, Page Up/Down by ten, Home and End go to the ends.
// `valueChanged` reports the user's moves only; setValue() never emits.
class VortanSlider : public QWidget {
    Q_OBJECT
  public:
    static constexpr double trackHeight = 14;

    VortanSlider(double lower, double upper, QWidget* parent = nullptr);

    double value() const { return value_; }
    // A value outside the range or with a fraction is kept as given until the user moves.
    void setValue(double v);
    double lower() const { return lower_; }
    double upper() const { return upper_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The value for a pointer at `x` on a track `width` wide: a whole number between lower
    // and upper; positions past either end are clamped.
    static double valueAt(double x, double width, double lower, double upper);
    // Where `value` sits on the track, from 0 to 1 (a value outside the range is drawn at
    // the nearer end).
    static double fractionOf(double value, double lower, double upper);
    // One keyboard step from the value as shown (whole numbers), kept in range.
    static double stepFrom(double value, double step, double lower, double upper);

    // The drawing, for any painter; `fraction` is where the value sits, 0 to 1.
    static void paint(QPainter& p, const QRectF& track, double fraction, bool focused);

  signals:
    void valueChanged(double value);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

  private:
    void moveTo(double v);

    double lower_, upper_;
    double value_;
    bool dragging_ = false;
    VortanPaint::KeyboardFocus focus_;
};

} // namespace fray
