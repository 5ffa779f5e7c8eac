#include "CommandLine.h"

#include "AppDelegate.h"
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
        const std::string_view row = std::string_view(usage).substr(at + 3);
        const std::size_t space = row.find(' ');
        mark(row.substr(0, space),
             space + 1 < row.size() && (row[space + 1] == '<' || row[space + 1] == '"'));
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
    if (has("--ax-status")) return notAvailable("--ax-status");
    if (has("--ax-click")) return notAvailable("--ax-click");
    if (has("--displays")) {
        auto app = makeApplication(argc, argv);
        Platform platform = systemPlatform();
        return displays(platform, *loadSettings(platform));
    }
    // Each renderer ends the process, so only the first present in this order runs.
    for (const char* render : {"--render-shots", "--render-film"})
        if (has(render)) return notAvailable(render);
    if (has("--render-previews")) {
        const std::string* value = valueAfter("--render-previews");
        return previews(value ? *value : "previews", argc, argv);
    }
    if (has("--log")) std::setvbuf(stdout, nullptr, _IONBF, 0);
    return resident(argc, argv);
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
