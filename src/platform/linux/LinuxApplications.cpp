#include "LinuxApplications.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace fray {

namespace {

// Entries are small; anything bigger is not one.
constexpr std::size_t maxEntrySize = 1 << 20;

// A regular file's bytes; never blocks on a FIFO that happens to carry the name.
std::optional<std::string> readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) <= maxEntrySize) {
        text.emplace(static_cast<std::size_t>(st.st_size), '\0');
        const ssize_t n = ::read(fd, text->data(), text->size());
        if (n < 0)
            text.reset();
        else
            text->resize(static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The string type's escapes (\s \n \t \r \\), undone before the Exec quoting rules apply.
std::string unescapeValue(const std::string& v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        switch (char c = v[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\', out += c;
        }
    }
    return out;
}

} // namespace

LinuxApplications::LinuxApplications(std::vector<std::string> dataDirs, std::string workingDir)
    : dataDirs_(std::move(dataDirs)), workingDir_(std::move(workingDir)) {}

std::optional<AppEntry> LinuxApplications::parseEntry(const std::string& text, const std::string& path) {
    std::istringstream in(text);
    std::string line, group, exec, icon, type;
    AppEntry app;
    app.path = path;
    bool hidden = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            group = line;
            continue;
        }
        if (group != "[Desktop Entry]") continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = trim(line.substr(0, eq)); // localized keys ("Name[de]") never match
        const std::string value = unescapeValue(trim(line.substr(eq + 1)));
        if (key == "Type")
            type = value;
        else if (key == "Name")
            app.name = value;
        else if (key == "Exec")
            exec = value;
        else if (key == "Icon")
            icon = value;
        else if (key == "StartupWMClass")
            app.wmClass = value;
        else if (key == "Hidden")
            hidden = value == "true";
    }
    if (type != "Application" || hidden || exec.empty()) return std::nullopt;
    auto words = splitExec(exec, app.name, icon, path);
    if (!words || words->empty()) return std::nullopt;
    app.command = std::move(*words);
    return app;
}

std::optional<std::vector<std::string>> LinuxApplications::splitExec(const std::string& exec,
                                                                     const std::string& name,
                                                                     const std::string& icon,
                                                                     const std::string& path) {
    // Words first: blanks separate, double quotes group, and inside them a backslash
    // escapes one of " ` $ \.
    std::vector<std::string> raw;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"')
                quoted = false;
            else if (c == '\\' && i + 1 < exec.size() &&
                     std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                word += exec[++i];
            else
                word += c;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) raw.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == '"')
                quoted = true;
            else
                word += c;
        }
    }
    if (quoted) return std::nullopt;
    if (inWord) raw.push_back(std::move(word));

    // Then the field codes. Nothing is opened with the application, so the file and URL
    // codes (and the deprecated ones) expand to nothing; a word that was only such a
    // code is dropped.
    std::vector<std::string> words;
    for (const auto& w : raw) {
        if (w == "%i") {
            if (!icon.empty()) words.insert(words.end(), {"--icon", icon});
            continue;
        }
        std::string out;
        bool onlyCodes = !w.empty();
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '%' || i + 1 == w.size()) {
                out += w[i];
                onlyCodes = false;
                continue;
            }
            switch (w[++i]) {
            case '%':
                out += '%';
                onlyCodes = false;
                break;
            case 'c':
                out += name;
                onlyCodes = false;
                break;
            case 'k':
                out += path;
                onlyCodes = false;
                break;
            default:
                break;
            }
        }
        if (!onlyCodes) words.push_back(std::move(out));
    }
    return words;
}

std::optional<AppEntry> LinuxApplications::find(const std::vector<std::string>& desktopIds) {
    for (const auto& id : desktopIds)
        for (const auto& dir : dataDirs_) {
            const std::string path = dir + "/applications/" + id;
            auto text = readSmallFile(path);
            if (!text) continue;
            // The first file found for an id decides, even when it hides the application.
            if (auto app = parseEntry(*text, path)) return app;
            break;
        }
    return std::nullopt;
}

bool LinuxApplications::launch(const AppEntry& app) {
    if (app.command.empty()) return false;
    QStringList args;
    for (std::size_t i = 1; i < app.command.size(); ++i)
        args << QString::fromStdString(app.command[i]);
    return QProcess::startDetached(QString::fromStdString(app.command[0]), args,
                                   QString::fromStdString(workingDir_));
}

} // namespace fray
