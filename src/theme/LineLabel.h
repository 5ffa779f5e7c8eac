#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace fray {

// One line of text, as wide as itself.
class LineLabel : public QWidget {
    Q_OBJECT
  public:
    LineLabel(const QString& text, QFont font, QColor color, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QString text_;
    QFont font_;
    QColor color_;
};

} // namespace fray
