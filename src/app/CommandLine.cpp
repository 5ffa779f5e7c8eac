#include "CommandLine.h"

#include "AppDelegate.h"
#include "StatusOutput.h"
#include "integration/SessionFocus.h"
#include "media/DemoMedia.h"
#include "media/PreviewRenderer.h"
#include "model/Displays.h"
#include "model/PreferencesStore.h"
#include "model/Settings.h"
#include "platform/InstanceLock.h"
#include "platform/Platform.h"
#include "platform/Session.h"
#include "session/UnicodeText.h"

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace fray {

namespace {

// Pads to at least `width` terminal columns, never shortening.
std::string padded(const std::string& s, std::size_t width) {
    std::size_t n = UnicodeText::displayWidth(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

// Qt Multimedia reports a missing audio server on every start; a missing sound is not news.
QtMessageHandler previousHandler = nullptr;

void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("PulseAudioService:") || message.startsWith("No audio device detected")) return;
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

std::unique_ptr<QApplication> makeApplication(int& argc, char** argv, WindowUse use = WindowUse::tool) {
    std::string notice = chooseWindowSystem(use);
    if (!notice.empty()) std::fprintf(stderr, "%s\n", notice.c_str());
    QLoggingCategory::setFilterRules("qt.multimedia*.warning=false");
    previousHandler = qInstallMessageHandler(quietMessages);
    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName("Fraymark");
    QApplication::setQuitOnLastWindowClosed(false);
    return app;
}

// The user's settings, over the preferences file of this platform's config folder.
std::unique_ptr<Settings> loadSettings(Platform& platform) {
    auto store = std::make_shared<PreferencesStore>(platform.paths.configHome + "/fraymark/preferences.json");
    store->load();
    auto displays = platform.displays;
    return std::make_unique<Settings>(store, [displays]() -> std::optional<GRect> {
        if (!displaysAreReal()) return std::nullopt; // an older position waits for a real display
        auto screens = displays->screens();
        return screens.empty() ? std::nullopt : std::optional<GRect>(screens.front().frame);
    });
}

// The title as a quoted literal: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    char buf[16];
    const std::string valid = UnicodeText::repaired(text);
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const auto c = static_cast<unsigned char>(valid[i]);
        // C1 controls are two bytes in UTF-8: 0xC2 then 0x80 to 0x9F.
        if (c == 0xC2 && i + 1 < valid.size() && (static_cast<unsigned char>(valid[i + 1]) & 0xE0) == 0x80) {
            std::snprintf(buf, sizeof buf, "\\u{%X}", static_cast<unsigned char>(valid[++i]));
            out += buf;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
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
        case '\0':
            out += "\\0";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                std::snprintf(buf, sizeof buf, "\\u{%X}", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The arguments that are neither an option of the usage text nor an option's value (the
// argument after an option shown with a placeholder), in order.
std::vector<std::string> unknownOptions(const std::vector<std::string>& args) {
    std::vector<bool> known(args.size(), false);
    auto mark = [&](std::string_view option, bool valued) {
        auto first = std::find(args.begin() + (args.empty() ? 0 : 1), args.end(), option);
        for (auto at = first; at != args.end(); at = std::find(at + 1, args.end(), option))
            known[static_cast<std::size_t>(at - args.begin())] = true;
        if (valued && first != args.end() && first + 1 != args.end())
            known[static_cast<std::size_t>(first + 1 - args.begin())] = true;
    };
    mark("--help", false);
    mark("-h", false);
    const std::string usage = CommandLine::usage();
    for (std::size_t at = usage.find("\n  -"); at != std::string::npos; at = usage.find("\n  -", at + 1)) {
        // The option column: words that start with "-" are options, one that starts with
        // "<" or a quote is the value of the option before it ("--json --follow" is two).
        std::string_view column = std::string_view(usage).substr(at + 3, 26);
        while (!column.empty()) {
            const std::size_t space = column.find(' ');
            const std::string_view word = column.substr(0, space);
            const std::string_view rest =
                space == std::string_view::npos ? std::string_view() : column.substr(space + 1);
            if (word.empty() || word.front() != '-') break;
            mark(word, !rest.empty() && (rest.front() == '<' || rest.front() == '"'));
            column = rest;
            while (!column.empty() && (column.front() == '<' || column.front() == '"')) {
                const std::size_t next = column.find(' ');
                column = next == std::string_view::npos ? std::string_view() : column.substr(next + 1);
            }
        }
    }
    std::vector<std::string> unknown;
    for (std::size_t i = 1; i < args.size(); ++i)
        if (!known[i]) unknown.push_back(args[i]);
    return unknown;
}

int notAvailable(const std::string& option) {
    std::fprintf(stderr, "fraymark: %s is not available in this build\n", option.c_str());
    return 2;
}

} // namespace

CommandLine::CommandLine(std::vector<std::string> args) : args_(std::move(args)) {}

bool CommandLine::has(const std::string& option) const {
    return std::find(args_.begin(), args_.end(), option) != args_.end();
}

const std::string* CommandLine::valueAfter(const std::string& option) const {
    auto it = std::find(args_.begin(), args_.end(), option);
    if (it == args_.end() || it + 1 == args_.end()) return nullptr;
    return &*(it + 1);
}

std::string CommandLine::usage() {
    static const std::pair<const char*, const char*> rows[] = {
        {"(no args)", "run the island"},
        {"--demo", "cycle fake statuses to preview the theme"},
        {"--log", "print detected sessions to stdout every tick"},
        {"--displays", "list attached monitors and the pinned one, then exit"},
        {"--ax-status", "report the Accessibility grant (and prompt if missing)"},
        {"--ax-click \"<title>\"", "precise-focus test: press Claude's sidebar row by title"},
        {"--render-previews <dir>", "write PNG previews of every state and exit"},
        {"--render-shots <dir>", "write marketing stills (fake desktop, placeholder data)"},
        {"--render-film <dir>", "write the demo film's frames + ffconcat list"},
        {"--json", "print the sessions as one JSON document, then exit"},
        {"--json --follow", "print a compact JSON line whenever the sessions change"},
        {"--waybar", "print a waybar custom-module line whenever they change"},
    };
    std::string out = "Fraymark — Vortan-style Claude Code session HUD";
    for (const auto& [option, description] : rows)
        out += "\n  " + padded(option, 26) + description;
    return out;
}

int CommandLine::run(int& argc, char** argv) {
    // Still ignored, but said: a typo must not quietly start a resident copy that holds the lock.
    for (const auto& option : unknownOptions(args_))
        std::fprintf(stderr, "fraymark: ignoring unknown option %s\n", option.c_str());
    if (has("--help") || has("-h")) {
        std::printf("%s\n", usage().c_str());
        return 0;
    }
    if (has("--ax-status") || has("--ax-click")) {
        auto app = makeApplication(argc, argv);
        Platform platform = systemPlatform();
        AXFocus ax(*platform.accessibility,
                   [&platform] { return SessionFocus::desktopAppElement(platform); });
        return has("--ax-status") ? axStatus(ax) : axClick(ax);
    }
    if (has("--displays")) {
        auto app = makeApplication(argc, argv);
        Platform platform = systemPlatform();
        return displays(platform, *loadSettings(platform));
    }
    // Each renderer ends the process, so only the first present in this order runs.
    if (has("--render-shots")) {
        const std::string* value = valueAfter("--render-shots");
        return demoMedia(value ? *value : "marketing", argc, argv,
                         [](const std::string& dir) { return DemoMedia::renderShots(dir); });
    }
    if (has("--render-film")) {
        const std::string* value = valueAfter("--render-film");
        return demoMedia(value ? *value : "film", argc, argv,
                         [](const std::string& dir) { return DemoMedia::renderFilm(dir); });
    }
    if (has("--render-previews")) {
        const std::string* value = valueAfter("--render-previews");
        return previews(value ? *value : "previews", argc, argv);
    }
    if (has("--json") || has("--waybar")) {
        // Like --log, these need no display and take no single-instance lock.
        const auto format = has("--waybar") ? StatusOutput::Format::waybar : StatusOutput::Format::json;
        return StatusOutput::run(format, has("--follow") || has("--waybar"), Paths::fromEnvironment().home);
    }
    if (has("--log")) std::setvbuf(stdout, nullptr, _IONBF, 0);
    return resident(argc, argv);
}

int CommandLine::axStatus(AXFocus& ax) {
    if (ax.isTrusted()) {
        std::printf("accessibility: TRUSTED\n");
        return 0;
    }
    std::printf("accessibility: NOT TRUSTED\n");
    ax.requestAccess();
    std::printf("prompted — enable assistive technologies in your desktop's accessibility settings, then "
                "relaunch Claude\n");
    return 0;
}

int CommandLine::axClick(AXFocus& ax) {
    const std::string* title = valueAfter("--ax-click");
    if (!title) {
        std::printf("usage: --ax-click \"<session title>\"\n");
        return 2;
    }
    if (!ax.isTrusted()) {
        std::printf("not trusted — run --ax-status first and grant access\n");
        return 1;
    }
    const bool pressed = ax.clickSession(*title);
    std::printf("%s%s\n", pressed ? "pressed a sidebar row matching " : "no matching row found for ",
                quoted(*title).c_str());
    return pressed ? 0 : 1;
}

int CommandLine::previews(const std::string& dir, int& argc, char** argv) {
    auto app = makeApplication(argc, argv);
    // The renderer writes into an existing directory; asking for one that is not there
    // yet (the default among them) should not fail every picture.
    if (!QDir().mkpath(QString::fromStdString(dir))) {
        std::fprintf(stderr, "fraymark: cannot create the directory %s\n", dir.c_str());
        return 1;
    }
    int status = 0;
    QTimer::singleShot(0, [&] {
        status = PreviewRenderer::renderAll(dir);
        QCoreApplication::exit(status);
    });
    app->exec();
    return status;
}

int CommandLine::demoMedia(const std::string& dir, int& argc, char** argv,
                           const std::function<int(const std::string&)>& render) {
    auto app = makeApplication(argc, argv);
    // The renderers create the directory themselves and say so when they cannot.
    int status = 0;
    QTimer::singleShot(0, [&] {
        status = render(dir);
        QCoreApplication::exit(status);
    });
    app->exec();
    return status;
}

int CommandLine::displays(Platform& platform, const Settings& settings) {
    auto pinned = settings.displayKey();
    auto screens = platform.displays->screens();
    auto list = Displays::attached(screens);
    std::printf("pinned: %s\n", pinned ? pinned->c_str() : "auto — primary");
    for (const auto& c : list) {
        const bool primary = !screens.empty() && c.screen.id == screens.front().id;
        const GRect& f = c.screen.frame;
        std::printf("%s %s %s %.0fx%.0f at (%.0f,%.0f)%s\n", pinned && *pinned == c.key ? "▸" : " ",
                    padded(c.name, 26).c_str(), padded(c.key, 20).c_str(), f.width, f.height, f.left(),
                    f.bottom(), primary ? "  (primary)" : "");
    }
    if (pinned && std::none_of(list.begin(), list.end(), [&](const auto& c) { return c.key == *pinned; }))
        std::printf("  pinned display is not attached — island falls back to primary\n");
    return 0;
}

int CommandLine::resident(int& argc, char** argv) {
    InstanceLock lock(InstanceLock::defaultPath(Paths::fromEnvironment().runtimeDir));
    if (!lock.acquire()) {
        if (lock.otherPid()) {
            std::fprintf(stderr, "Fraymark is already running (pid %lld).\n", *lock.otherPid());
            return 0;
        }
        std::fprintf(stderr, "fraymark: cannot create the single-instance lock; starting anyway\n");
    }
    auto app = makeApplication(argc, argv, WindowUse::island);
    Platform platform = systemPlatform();
    auto settings = loadSettings(platform);
    AppDelegate delegate(has("--demo"), has("--log"), *settings, platform);
    onTerminationSignal([] { QCoreApplication::quit(); });
    delegate.applicationDidFinishLaunching();
    return app->exec();
}

} // namespace fray
