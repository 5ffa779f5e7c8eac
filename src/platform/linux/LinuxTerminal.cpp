#include "LinuxTerminal.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <sstream>

namespace fray {

LinuxTerminal::LinuxTerminal(std::string workingDir) : workingDir_(std::move(workingDir)) {}

std::vector<std::vector<std::string>> LinuxTerminal::candidates(const std::string& terminalVariable,
                                                                const std::string& script) {
    std::vector<std::vector<std::string>> out;
    // $TERMINAL may carry options of its own ("kitty --single-instance").
    std::istringstream words(terminalVariable);
    std::vector<std::string> own;
    for (std::string w; words >> w;)
        own.push_back(w);
    if (!own.empty()) {
        own.insert(own.end(), {"-e", script});
        out.push_back(std::move(own));
    }
    out.push_back({"xdg-terminal-exec", script});
    // Debian policy guarantees -T and -e for every x-terminal-emulator alternative.
    out.push_back({"x-terminal-emulator", "-T", "Fraymark", "-e", script});
    out.push_back({"xterm", "-T", "Fraymark", "-e", script});
    return out;
}

bool LinuxTerminal::runScript(const std::string& path) {
    const char* variable = std::getenv("TERMINAL");
    for (const auto& command : candidates(variable ? variable : "", path)) {
        const QString program = QStandardPaths::findExecutable(QString::fromStdString(command[0]));
        if (program.isEmpty()) continue;
        QStringList args;
        for (std::size_t i = 1; i < command.size(); ++i)
            args << QString::fromStdString(command[i]);
        if (QProcess::startDetached(program, args, QString::fromStdString(workingDir_))) return true;
    }
    return false;
}

} // namespace fray
