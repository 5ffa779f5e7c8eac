#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace fray {

// A paragraph that wraps over as many lines as the width needs (at word boundaries, or
// anywhere for long paths), with extra space between lines.
class TextBlock : public QWidget {
    Q_OBJECT
  public:
    TextBlock(QFont font, QColor color, double lineSpacing = 0, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    const QColor& color() const { return color_; }
    void setColor(const QColor& color);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QFont font_;
    QColor color_;
    double lineSpacing_;
    QString text_;
};

} // namespace fray
