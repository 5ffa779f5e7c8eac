#include "ResumeScript.h"

#include "session/PathText.h"

namespace fray::ResumeScript {

bool isSafeId(std::string_view id) {
    if (id.empty()) return false;
    for (char c : id) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '_' || c == ':' || c == '-';
        if (!ok) return false;
    }
    return true;
}

std::optional<std::string> codexSessionId(std::string_view rolloutPath) {
    std::string_view name = PathText::lastComponent(rolloutPath);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    if (name.size() < 36) return std::nullopt;
    const std::string_view uuid = name.substr(name.size() - 36);
    for (std::size_t i = 0; i < uuid.size(); ++i) {
        const char c = uuid[i];
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hyphen ? c != '-' : !hex) return std::nullopt;
    }
    return std::string(uuid);
}

std::string singleQuoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string text(Shell shell, const Command& command, std::string_view cwd) {
    const bool zsh = shell == Shell::zsh;
    const std::string& t = command.tool;
    const std::string run = command.verb + " '" + command.id + "'";
    std::string s;
    s += zsh ? "#!/bin/zsh\n" : "#!/bin/bash\n";
    s += "clear\n";
    s += "echo \"FRAYMARK ▸ resuming " + command.id + "\"\n";
    s += "cd " + singleQuoted(cwd) + " || { echo 'Project folder is gone.'; " +
         (zsh ? "read -r '?Press Enter to close'" : "read -r -p 'Press Enter to close'") + "; exit 1; }\n";
    s += "for c in \"$HOME/.local/bin/" + t + "\" /usr/local/bin/" + t + " /home/linuxbrew/.linuxbrew/bin/" +
         t + "; do\n";
    s += "  [ -x \"$c\" ] && exec \"$c\" " + run + "\n";
    s += "done\n";
    s += std::string(zsh ? "exec /bin/zsh -lic \"" : "exec bash -lic \"") + t + " " + run + "\"";
    return s;
}

} // namespace fray::ResumeScript
