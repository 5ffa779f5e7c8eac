#include "AutostartDesktopEntry.h"

#include "AppId.h"
#include "AutostartFiles.h"

namespace fray {

namespace {

constexpr std::string_view mainGroup = "[Desktop Entry]";
constexpr std::string_view reservedInExec = " \t\n\"'\\><~|&;$*?#()`";

std::string_view trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Undoes the escapes of a string value: \s \n \t \r \\. Other backslashes stay for the
// Exec quoting rules that follow.
std::string unescapeString(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            char n = v[i + 1];
            char r = n == 's'    ? ' '
                     : n == 'n'  ? '\n'
                     : n == 't'  ? '\t'
                     : n == 'r'  ? '\r'
                     : n == '\\' ? '\\'
                                 : 0;
            if (r) {
                out += r;
                ++i;
                continue;
            }
        }
        out += v[i];
    }
    return out;
}

std::string escapeString(std::string_view v) {
    std::string out;
    for (char c : v) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool boolValue(std::string_view text, std::string_view key, bool& out) {
    auto v = AutostartDesktopEntry::entryValue(text, key);
    if (!v) return false;
    out = *v == "true";
    return *v == "true" || *v == "false";
}

} // namespace

AutostartDesktopEntry::AutostartDesktopEntry(std::string configHome, std::string executable)
    : configHome_(std::move(configHome)), executable_(std::move(executable)) {}

std::string AutostartDesktopEntry::entryPath() const {
    return configHome_ + "/autostart/" + std::string(appId) + ".desktop";
}

bool AutostartDesktopEntry::isEnabled() const {
    std::string path = entryPath();
    if (!AutostartFiles::exists(path)) return false;
    auto text = AutostartFiles::read(path);
    if (!text) return true;
    bool flag = false;
    if (boolValue(*text, "Hidden", flag) && flag) return false;
    if (boolValue(*text, "X-GNOME-Autostart-enabled", flag) && !flag) return false;
    return true;
}

std::optional<std::string> AutostartDesktopEntry::registeredPath() const {
    auto text = AutostartFiles::read(entryPath());
    if (!text) return std::nullopt;
    auto exec = entryValue(*text, "Exec");
    if (!exec) return std::nullopt;
    auto args = splitExec(*exec);
    if (!args || args->empty() || args->front().empty()) return std::nullopt;
    return args->front();
}

std::optional<AutostartError> AutostartDesktopEntry::setEnabled(bool on) {
    std::string path = entryPath();
    if (!on) return AutostartFiles::removeIfPresent(path);
    if (executable_.empty()) return AutostartFiles::missingExecutable();
    if (auto err = AutostartFiles::checkBaseFolder(configHome_)) return err;
    if (auto err = AutostartFiles::makeFolder(configHome_ + "/autostart")) return err;
    return AutostartFiles::writeAtomically(path, entryText(executable_));
}

std::string AutostartDesktopEntry::entryText(const std::string& executable) {
    std::string text;
    text += std::string(mainGroup) + "\n";
    text += "Type=Application\n";
    text += "Name=Fraymark\n";
    text += "Comment=Live AI coding-agent sessions as a fight-game HUD\n";
    text += "Exec=" + quoteExecArgument(executable) + "\n";
    text += "Terminal=false\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
}

std::string AutostartDesktopEntry::quoteExecArgument(std::string_view arg) {
    std::string body;
    bool quote = arg.empty();
    for (char c : arg) {
        if (c == '%') {
            body += "%%"; // a lone % would start a field code
            continue;
        }
        if (reservedInExec.find(c) != std::string_view::npos) quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\') body += '\\';
        body += c;
    }
    if (!quote) return escapeString(body);
    return escapeString("\"" + body + "\"");
}

std::optional<std::vector<std::string>> AutostartDesktopEntry::splitExec(std::string_view value) {
    std::string v = unescapeString(value);
    std::vector<std::string> args;
    std::string cur;
    bool inArg = false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        char c = v[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg) args.push_back(std::move(cur));
            cur.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == '"') {
            std::size_t j = i + 1;
            for (; j < v.size() && v[j] != '"'; ++j) {
                if (v[j] == '\\' && j + 1 < v.size() &&
                    std::string_view("\"`$\\").find(v[j + 1]) != std::string_view::npos)
                    ++j;
                cur += v[j];
            }
            if (j >= v.size()) return std::nullopt;
            i = j;
        } else if (c == '\'') {
            // Not in the desktop-entry rules, but GLib launches it shell-style; read it alike.
            auto end = v.find('\'', i + 1);
            if (end == std::string::npos) return std::nullopt;
            cur += v.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '\\' && i + 1 < v.size()) {
            cur += v[++i];
        } else {
            cur += c;
        }
    }
    if (inArg) args.push_back(std::move(cur));
    // Field codes are expanded after the quoting is undone; only "%%" matters for a path.
    for (auto& a : args) {
        std::string plain;
        for (std::size_t i = 0; i < a.size(); ++i) {
            plain += a[i];
            if (a[i] == '%' && i + 1 < a.size() && a[i + 1] == '%') ++i;
        }
        a = std::move(plain);
    }
    return args;
}

std::optional<std::string> AutostartDesktopEntry::entryValue(std::string_view text, std::string_view key) {
    bool inMain = false;
    std::optional<std::string> found;
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = trimmed(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inMain = line == mainGroup;
            continue;
        }
        if (!inMain) continue;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (trimmed(line.substr(0, eq)) != key) continue;
        // The first occurrence counts; later duplicates are malformed and ignored.
        if (!found) found = std::string(trimmed(line.substr(eq + 1)));
    }
    return found;
}

bool AutostartDesktopEntry::registeredHere() const {
    auto path = registeredPath();
    return !path || AutostartFiles::samePath(*path, executable_);
}

} // namespace fray
