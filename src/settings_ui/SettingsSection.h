#pragma once

#include <QVBoxLayout>
#include <QWidget>

namespace fray {

// A titled group of the settings column: the title in gold followed by a thin gold rule
// across the rest of the width, then the content rows 9 points apart.
class SettingsSection : public QWidget {
    Q_OBJECT
  public:
    static constexpr double titleSize = 10.5;
    static constexpr double titleKerning = 2.4;
    static constexpr int spacing = 9;

    explicit SettingsSection(const QString& title, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    // Appends a row of content; the section takes ownership.
    void addRow(QWidget* row);
    void addLayout(QLayout* row);

  private:
    QString title_;
    QVBoxLayout* layout_;
};

} // namespace fray
