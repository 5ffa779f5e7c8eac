// A plain window for desktop tests: sits where it is told (or full screen on the display
// under a point) and prints "press X Y" for every click it receives.
//   fraymark_test_window NAME x,y,w,h
//   fraymark_test_window NAME fullscreen x,y
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

#include <cstdio>

namespace {
class Window : public QWidget {
  protected:
    void mousePressEvent(QMouseEvent* e) override {
        std::printf("press %d %d\n", int(e->position().x()), int(e->position().y()));
        std::fflush(stdout);
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    Window w;
    w.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    w.setStyleSheet("background: #2e7d32");
    const QString where = QString::fromLocal8Bit(argv[2]);
    if (where == "fullscreen" && argc >= 4) {
        const auto p = QString::fromLocal8Bit(argv[3]).split(',');
        QScreen* s = QGuiApplication::screenAt(QPoint(p.value(0).toInt(), p.value(1).toInt()));
        if (!s) return 3;
        w.setGeometry(s->geometry());
        w.showFullScreen();
    } else {
        const auto g = where.split(',');
        w.setGeometry(g.value(0).toInt(), g.value(1).toInt(), g.value(2).toInt(), g.value(3).toInt());
        w.show();
    }
    std::printf("shown\n");
    std::fflush(stdout);
    return app.exec();
}
