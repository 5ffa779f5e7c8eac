#pragma once

#include "VortanPaint.h"

#include <QAbstractButton>

namespace fray {

// The look of a settings button: its label on a slanted plate, gold when prominent,
// red when dangerous, dark otherwise; dimmed while pressed.
struct VortanButtonStyle {
    bool prominent = false;
    bool danger = false;

    static constexpr double height = 23;
    static constexpr double padding = 13;
    static constexpr double labelSize = 10.5;
    static constexpr double kerning = 1.2;
    static constexpr double pressedOpacity = 0.75;

    struct State {
        bool pressed = false;
        bool hovered = false;
        bool focused = false;
    };

    static QFont labelFont();
    QSizeF size(const QString& label) const;
    void paint(QPainter& p, const QRectF& rect, const QString& label, const State& s) const;
};

// A push button in that look. Space, Return and Enter press it while it has focus.
class VortanButton : public QAbstractButton {
    Q_OBJECT
  public:
    VortanButton(const QString& label, VortanButtonStyle style, QWidget* parent = nullptr);
    const VortanButtonStyle& style() const { return style_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    VortanButtonStyle style_;
    VortanPaint::KeyboardFocus focus_;
};

} // namespace fray
