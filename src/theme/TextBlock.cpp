#include "TextBlock.h"

#include "Text.h"

#include <QPainter>

#include <cmath>
#include <vector>

namespace fray {

namespace {

// Breaks `text` into lines no wider than `width`: at blanks, and inside a word only when
// the word alone is too wide (a long path).
std::vector<QString> wrap(const QString& text, const QFont& font, double width) {
    std::vector<QString> lines;
    QString line;
    auto fits = [&](const QString& s) { return Text::width(s, font) <= width; };
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
        QString candidate = line.isEmpty() ? word : line + ' ' + word;
        if (fits(candidate)) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty()) lines.push_back(line);
        line = word;
        while (!fits(line) && line.size() > 1) {
            qsizetype n = line.size() - 1;
            while (n > 1 && !fits(line.left(n)))
                --n;
            lines.push_back(line.left(n));
            line = line.mid(n);
        }
    }
    if (!line.isEmpty()) lines.push_back(line);
    return lines;
}

double lineHeight(const QFont& font) {
    Text::Shaped probe = Text::shape(QStringLiteral("X"), font);
    return probe.height();
}

} // namespace

TextBlock::TextBlock(QFont font, QColor color, double lineSpacing, QWidget* parent)
    : QWidget(parent), font_(std::move(font)), color_(std::move(color)), lineSpacing_(lineSpacing) {
    QSizePolicy sp(QSizePolicy::Preferred, QSizePolicy::Minimum);
    sp.setHeightForWidth(true);
    setSizePolicy(sp);
}

void TextBlock::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

void TextBlock::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

int TextBlock::heightForWidth(int width) const {
    auto n = double(wrap(text_, font_, width).size());
    return n == 0 ? 0 : int(std::ceil(n * lineHeight(font_) + (n - 1) * lineSpacing_));
}

namespace {
constexpr int nominalWidth = 348; // the settings column's content width, before any layout
}

QSize TextBlock::sizeHint() const {
    return {nominalWidth, heightForWidth(nominalWidth)};
}
QSize TextBlock::minimumSizeHint() const {
    return {40, heightForWidth(nominalWidth)};
}

void TextBlock::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    double y = 0;
    const double h = lineHeight(font_);
    for (const QString& line : wrap(text_, font_, width())) {
        Text::Shaped s = Text::shape(line, font_);
        Text::draw(p, s, QPointF(0, y + s.ascent), color_);
        y += h + lineSpacing_;
    }
}

} // namespace fray
