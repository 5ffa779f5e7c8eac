#pragma once

#include "VortanPaint.h"

#include <QAbstractButton>

namespace fray {

// A choice chip of the position and monitor rows: gold when selected, dimmed otherwise,
// optionally with a small red note at its right end ("NOT CONNECTED").
class SettingsChip : public QAbstractButton {
    Q_OBJECT
  public:
    static constexpr double textSize = 9.5;
    static constexpr double noteSize = 8;
    static constexpr double dimmedOpacity = 0.35;

    SettingsChip(const QString& text, double kerning, QWidget* parent = nullptr);

    // Exactly this size, text centred (the position chips).
    void setFixedChipSize(QSizeF size);
    // This high and as wide as the row allows, text left-aligned (the monitor chips).
    void setChipHeight(double height);
    bool isSelected() const { return selected_; }
    void setSelected(bool on);
    const QString& note() const { return note_; }
    void setNote(const QString& note);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent* e) override;

  private:
    QFont textFont() const;

    double kerning_;
    bool selected_ = false;
    bool centred_ = false;
    QSizeF size_{0, 20};
    QString note_;
    VortanPaint::KeyboardFocus focus_;
};

} // namespace fray
