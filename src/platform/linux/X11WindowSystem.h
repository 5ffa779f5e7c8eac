#pragma once

#include "platform/WindowSystem.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

#include <memory>

namespace fray {

// The island's windows on X11 (and XWayland): override-redirect overlays whose input and,
// without a compositor, visible shapes are set through the SHAPE extension; other
// programs' windows read through EWMH. Inert on any other Qt platform.
class X11WindowSystem : public WindowSystem, private QAbstractNativeEventFilter {
  public:
    X11WindowSystem();
    ~X11WindowSystem() override;

    bool canPlaceWindows() const override;
    void makeOverlay(QWidget& window) override;
    void setFrame(QWidget& window, const GRect& frame) override;
    void setInputRegion(QWidget& window, const QRectF& region) override;
    void setVisibleShape(QWidget& window, const std::optional<QPainterPath>& shape) override;
    bool compositing() const override;
    std::optional<std::vector<WindowInfo>> windows() const override;
    GPoint pointer() const override;
    void raise(QWidget& window) override;

    // Bursts of stacking changes are reported at most once per this many milliseconds.
    static constexpr int windowsCoalesceMs = 100;
    // How often the compositing manager's selection is looked at.
    static constexpr int compositorPollMs = 2000;

  private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void checkCompositor();

    struct X;
    std::unique_ptr<X> x_;
    QObject context_;
    QTimer windowsTimer_;
    QTimer compositorTimer_;
    bool compositing_ = false;
};

} // namespace fray
