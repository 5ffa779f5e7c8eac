// A stand-in for the desktop app's sidebar: a list of session rows, each a button
// whose text is a session title and its age. Prints "pressed <text>" when one is pressed.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Claude");
    auto* list = new QVBoxLayout(&window);
    for (const char* title :
         {"Write the release notes · 1h", "Fix the login bug · 2m", "Tidy the parser · 3d"}) {
        auto* row = new QPushButton(QString::fromUtf8(title), &window);
        list->addWidget(row);
        QObject::connect(row, &QPushButton::clicked, [row] {
            std::printf("pressed %s\n", row->text().toUtf8().constData());
            std::fflush(stdout);
        });
    }
    window.show();
    QTimer::singleShot(300, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
