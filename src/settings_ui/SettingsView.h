#pragma once

#include "model/Displays.h"

#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QVBoxLayout;

namespace fray {

class LineLabel;
class Settings;
struct Platform;
class SettingsChip;
class TextBlock;
class VortanButton;
class VortanSlider;
class VortanToggle;

// The content of the settings window: one fixed-width column of switches, chips and a
// slider bound to the settings (each change is written at once), over a dark plate with
// a gold rim. Escape closes it. Renders offscreen through QWidget::render as well.
class SettingsView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int viewWidth = 384;
    static constexpr int inset = 18;
    static constexpr int itemSpacing = 15;
    static constexpr double cornerRadius = 18;
    static constexpr int accessRefreshMs = 1500;

    // The platform gives the displays, the accessibility grant, the login item and the
    // file browser; it must outlive the view.
    SettingsView(Settings& settings, Platform& platform, std::function<void()> onClose,
                 std::function<void()> onQuit, QWidget* parent = nullptr);
    ~SettingsView() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // State read from outside the settings; each is also refreshed when the view is shown.
    bool accessGranted() const { return accessGranted_; }
    bool loginItem() const { return loginItem_; }
    const std::optional<std::string>& loginError() const { return loginError_; }
    const std::vector<Displays::Choice>& monitors() const { return monitors_; }

    void refreshAccess();
    void refreshLoginItem();
    void refreshMonitors();

    // Names staged for pictures: the i-th display shows the i-th name, and a pinned display
    // that is away is not offered.
    void overrideMonitorNames(std::vector<std::string> names);

  signals:
    // The preferred height changed (a message appeared or went, a display came or went).
    void sizeHintChanged();

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void build();
    QWidget* buildHeader();
    QWidget* buildAnnouncer();
    QWidget* buildDisplay();
    QWidget* buildTiming();
    QWidget* buildSystem();
    QWidget* buildFooter();

    void syncFromSettings();
    void syncMonitorChips();
    void syncLoginTexts();
    void syncPreciseFocusText();
    void setLoginEnabled(bool on);
    void setPreciseFocus(bool on);
    void chooseMonitor(const std::optional<std::string>& key);
    void openSessionsFolder();
    void contentChanged();

    Settings& settings_;
    Platform& platform_;
    std::shared_ptr<void> displayWatch_;
    Displays::NameOverride nameOverride_;
    std::function<void()> onClose_;
    std::function<void()> onQuit_;

    std::vector<Displays::Choice> monitors_;
    bool accessGranted_ = false;
    bool loginItem_ = false;
    std::optional<std::string> registeredPath_;
    bool registeredHere_ = true;
    std::optional<std::string> loginError_;
    QTimer accessTimer_;

    VortanToggle* soundNeedsAction_ = nullptr;
    VortanToggle* soundKO_ = nullptr;
    VortanToggle* notifyNeedsAction_ = nullptr;
    VortanToggle* notifyCompleted_ = nullptr;
    VortanToggle* overlapMenuBar_ = nullptr;
    VortanToggle* showOverFullscreen_ = nullptr;
    VortanToggle* showCompleted_ = nullptr;
    LineLabel* positionLabel_ = nullptr;
    std::vector<SettingsChip*> positionChips_;
    QVBoxLayout* monitorColumn_ = nullptr;
    std::vector<SettingsChip*> monitorChips_;
    LineLabel* delayValue_ = nullptr;
    VortanSlider* delaySlider_ = nullptr;
    VortanToggle* login_ = nullptr;
    TextBlock* loginStatus_ = nullptr;
    TextBlock* loginErrorText_ = nullptr;
    VortanToggle* preciseFocus_ = nullptr;
    TextBlock* preciseStatus_ = nullptr;
    TextBlock* actionError_ = nullptr;
    TextBlock* saveError_ = nullptr;

    std::optional<QPoint> dragFrom_; // pointer offset within the window while it is dragged
    bool systemMove_ = false;
};

} // namespace fray
