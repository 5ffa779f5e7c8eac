// A stand-in terminal emulator for the tests: one window with a title, owned by this
// process, and one child program started in a given folder.
//   fake_terminal TITLE FOLDER PROGRAM [ARGS...]
// Prints "ready" once its window is shown.
#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    window.resize(320, 200);
    window.show();

    QProcess child;
    // What the child draws goes nowhere: this process's output is for the test.
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.setWorkingDirectory(QString::fromLocal8Bit(argv[2]));
    QStringList args;
    for (int i = 4; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    child.start(QString::fromLocal8Bit(argv[3]), args);
    if (!child.waitForStarted()) return 3;
    QTimer::singleShot(200, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
