// Stand-ins for the tests on a real X server and accessibility bus. Each shows one window
// and prints "ready" once it is up.
//   stand_in_app [URL]
//       the desktop app's sidebar: a window "Claude" with session rows, each a button whose
//       text is a session title and its age; prints "pressed <text>" when one is pressed.
//   stand_in_app TITLE FOLDER PROGRAM [ARGS...]
//       a terminal emulator: a window titled TITLE, owned by this process, and PROGRAM
//       started in FOLDER.
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    QProcess child;
    if (argc < 4) {
        window.setWindowTitle("Claude");
        auto* list = new QVBoxLayout(&window);
        for (const char* title :
             {"Write the release notes · 1h", "Fix the login bug · 2m", "Tidy the parser · 3d"}) {
            auto* row = new QPushButton(QString::fromUtf8(title), &window);
            list->addWidget(row);
            QObject::connect(row, &QPushButton::clicked, [row] { say("pressed " + row->text()); });
        }
    } else {
        window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
        window.resize(320, 200);
        child.setWorkingDirectory(QString::fromLocal8Bit(argv[2]));
        QStringList args;
        for (int i = 4; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        child.start(QString::fromLocal8Bit(argv[3]), args);
        if (!child.waitForStarted()) return 3;
    }
    window.show();
    QTimer::singleShot(300, [] { say("ready"); });
    return app.exec();
}
