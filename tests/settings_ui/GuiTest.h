#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace fray::test {

// The one application object of a GUI test program (offscreen platform).
inline QApplication& guiApp() {
    static int argc = 1;
    static char arg0[] = "fraymark-test";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The widget drawn at `scale` onto a transparent image, as the preview renderer does.
inline QImage renderWidget(QWidget& w, double scale = 2) {
    QImage img(w.size() * scale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::transparent);
    QPainter p(&img);
    w.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    p.end();
    return img;
}

// The colour at a point given in widget coordinates of an image from renderWidget.
inline QColor pixelAt(const QImage& img, QPointF at) {
    double s = img.devicePixelRatio();
    return img.pixelColor(int(at.x() * s), int(at.y() * s));
}

// Sends a mouse event straight to `w`, as a press, drag or release of the left button.
inline void sendMouse(QWidget* w, QEvent::Type type, QPointF pos) {
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace fray::test
