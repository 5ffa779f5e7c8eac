#include "SettingsSection.h"

#include "theme/Vortan.h"
#include "theme/VortanPaint.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace fray {

namespace {

QFont titleFont() {
    return Vortan::kerned(Vortan::fontDemi(SettingsSection::titleSize), SettingsSection::titleKerning);
}

// The title and its rule.
class TitleRow : public QWidget {
  public:
    TitleRow(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        return {int(std::ceil(VortanPaint::textWidth(titleFont(), title_))) + 40,
                int(std::ceil(QFontMetricsF(titleFont()).height()))};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        double w = VortanPaint::textWidth(titleFont(), title_);
        VortanPaint::drawLine(p, rect(), titleFont(), Vortan::gold(), title_, Qt::AlignLeft);
        constexpr double gap = 8;
        QRectF rule(w + gap, std::round(height() / 2.0) - 0.5, width() - w - gap, 1);
        if (rule.width() > 0) p.fillRect(rule, Vortan::withOpacity(Vortan::gold(), 0.55));
    }

  private:
    QString title_;
};

} // namespace

SettingsSection::SettingsSection(const QString& title, QWidget* parent)
    : QWidget(parent), title_(title), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(spacing);
    layout_->addWidget(new TitleRow(title, this));
}

void SettingsSection::addRow(QWidget* row) {
    layout_->addWidget(row);
}

void SettingsSection::addLayout(QLayout* row) {
    layout_->addLayout(row);
}

} // namespace fray
