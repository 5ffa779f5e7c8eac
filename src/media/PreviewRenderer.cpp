#include "PreviewRenderer.h"

#include "island/CollapsedViews.h"
#include "island/IslandView.h"
#include "model/IslandLayout.h"
#include "model/PreferencesStore.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "settings_ui/SettingsView.h"

#include <QBuffer>
#include <QFile>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <numbers>

namespace fray::PreviewRenderer {

namespace {

QColor backdrop() {
    return QColor::fromRgbF(0.33f, 0.35f, 0.40f);
}

// A placeholder session: its state began `ago` seconds before the frame.
SessionInfo info(const char* id, const char* project, std::optional<std::string> branch, SessionStatus status,
                 std::int64_t combo, double ago, std::optional<double> promptAgo, double stamina,
                 Instant now) {
    SessionInfo s;
    s.id = id;
    s.project = project;
    s.branch = std::move(branch);
    s.status = status;
    s.combo = combo;
    s.stateSince = now - ago;
    s.lastActivity = now - std::min(ago, 5.0);
    if (promptAgo) s.lastPromptAt = now - *promptAgo;
    s.stamina = stamina;
    return s;
}

const std::optional<QRectF> previewNotch = QRectF((IslandLayout::islandWidth - 185) / 2, 0, 185, 32);

Entry islandEntry(std::string name, IslandModel model, std::optional<QRectF> notch, Instant now) {
    double h = IslandView::height(model, notch, now);
    return {std::move(name), QSizeF(IslandLayout::islandWidth, h),
            [model = std::move(model), notch](QPainter& p, Instant t) {
                IslandViewState fresh;
                fresh.ramp.update(model.p1Stamina, t);
                IslandView::paint(p, QPointF(0, 0), model, notch, fresh, t);
                if (notch) p.fillRect(*notch, Qt::black); // the hardware notch
            }};
}

// The same machine for every gallery: one 1920 x 1080 display and nothing installed.
Platform previewPlatform() {
    Platform p = fake::makePlatform("/nonexistent");
    ScreenInfo screen;
    screen.id = screen.name = "Screen 1";
    screen.frame = screen.visibleFrame = {0, 0, 1920, 1080};
    std::static_pointer_cast<fake::Displays>(p.displays)->list = {screen};
    return p;
}

// The settings window's content over a settings store of its own (defaults, kept in
// memory), without actions. The view is destroyed before its settings.
struct SettingsPreview {
    Platform platform = previewPlatform();
    Settings settings{std::make_shared<PreferencesStore>()};
    std::unique_ptr<SettingsView> view = std::make_unique<SettingsView>(settings, platform, nullptr, nullptr);
    SettingsPreview() { view->resize(view->sizeHint()); }
};

Entry settingsEntry() {
    auto preview = std::make_shared<SettingsPreview>();
    return {"8-settings", QSizeF(preview->view->size()), [preview](QPainter& p, Instant) {
                preview->view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
            }};
}

} // namespace

Instant frameTime() {
    // 2025-01-01T00:00:00Z, nudged to the crest of the five-radian-a-second pulses.
    const double base = 1735689600.0;
    double phase = std::fmod(5 * base, 2 * std::numbers::pi);
    double nudge = std::fmod(std::numbers::pi / 2 - phase + 4 * std::numbers::pi, 2 * std::numbers::pi) / 5;
    return fromUnixSeconds(base + nudge);
}

std::vector<Entry> gallery(Instant now) {
    using S = SessionStatus;
    const std::string you = "YOU";
    std::vector<Entry> out;
    auto add = [&](std::string name, const SessionList& sessions, bool expanded, PlanUsage plan = {},
                   std::optional<QRectF> notch = std::nullopt) {
        out.push_back(islandEntry(
            std::move(name), IslandModel::from(sessions, expanded, you, plan, nullptr, now), notch, now));
    };
    auto model = [&](const SessionList& sessions) {
        return IslandModel::from(sessions, false, you, {}, nullptr, now);
    };

    const std::optional<std::string> boss = "feat/boss-fight", master = "master";
    const SessionInfo pixelWorking = info("a", "PIXEL-FORGE", std::nullopt, S::working, 7, 41, 30, 0.8, now);
    const SessionInfo misoWorking = info("b", "MISO-STACK", std::nullopt, S::working, 3, 83, 60, 0.55, now);
    const SessionInfo questWaiting = info("a", "SIDE-QUEST", boss, S::needsAction, 4, 47, 90, 0.6, now);
    const SessionInfo ramenDone =
        info("a", "RAMEN-STACK", std::nullopt, S::completed, 12, 130, 200, 0.5, now);
    const SessionList four{
        info("a", "SIDE-QUEST", boss, S::needsAction, 4, 47, 90, 0.6, now),
        info("b", "PIXEL-FORGE", std::nullopt, S::working, 7, 41, 30, 0.8, now),
        info("c", "MISO-STACK", std::nullopt, S::started, 0, 12, std::nullopt, 0.5, now),
        info("d", "DRAGON-PUNCH", master, S::completed, 0, 300, 400, 0.4, now),
    };

    add("1-started", {info("a", "PIXEL-FORGE", std::nullopt, S::started, 0, 12, std::nullopt, 0.5, now)},
        false);
    add("2-working", {pixelWorking, misoWorking}, false);
    add("3-needs-action",
        {questWaiting, info("b", "PIXEL-FORGE", std::nullopt, S::working, 7, 41, 30, 0.8, now)}, false);
    add("4-completed", {ramenDone}, false);
    add("5-idle", {}, false);
    add("6-expanded", four, true);

    {
        IslandModel dial = model({pixelWorking, misoWorking});
        out.push_back(
            {"7-collapsed", QSizeF(CollapsedIsland::width, CollapsedIsland::height),
             [dial](QPainter& p, Instant t) { CollapsedIsland::paint(p, QPointF(0, 0), dial, t); }});
        IslandModel bar = model({pixelWorking, misoWorking, ramenDone});
        out.push_back({"7b-bar-mini", QSizeF(60, 24),
                       [bar](QPainter& p, Instant t) { BarMini::paint(p, QRectF(0, 0, 60, 24), bar, t); }});
    }

    out.push_back(settingsEntry());
    add("9-notch-wrap", {pixelWorking, misoWorking}, false, {}, previewNotch);
    add("10-notch-expanded", four, true, {}, previewNotch);

    const std::pair<const char*, double> powerUps[] = {{"a", 0.2}, {"b", 0.55}, {"c", 1.1}};
    for (const auto& [label, ago] : powerUps) {
        SessionInfo s = info("a", "PIXEL-FORGE", std::nullopt, S::working, 2, 8, ago, 0.85, now);
        s.powerUpAt = now - ago;
        add(std::string("11-powerup-") + label, {s}, false);
    }

    add("15-long-grind", {info("a", "PIXEL-FORGE", std::nullopt, S::working, 38, 540, 560, 0.7, now)}, false);

    PlanUsage plan;
    plan.fiveHour = 42;
    plan.weekly = 71;
    plan.fetchedAt = now - 240.0;
    plan.fiveHourResets = now + 10800.0;
    plan.weeklyResets = now + 187200.0;
    add("16-plan-expanded", four, true, plan);

    add("13-stamina-idle", {info("a", "MISO-STACK", std::nullopt, S::working, 1, 20, 900, 0.08, now)}, false);
    add("13-stamina-half", {info("a", "MISO-STACK", std::nullopt, S::working, 1, 20, 120, 0.5, now)}, false);

    {
        IslandModel onWhite = model({pixelWorking, misoWorking});
        const double h = IslandView::height(onWhite, std::nullopt, now);
        const double whiteW = IslandLayout::islandWidth + 2 * IslandLayout::margin,
                     whiteH = IslandLayout::topHalo + h;
        out.push_back(
            {"12-on-white", QSizeF(whiteW + 36, whiteH + 36),
             [onWhite, whiteW, whiteH](QPainter& p, Instant t) {
                 p.fillRect(QRectF(0, 0, whiteW + 36, whiteH + 36), QColor::fromRgbF(0.93f, 0.93f, 0.93f));
                 p.fillRect(QRectF(18, 18, whiteW, whiteH), Qt::white);
                 IslandViewState fresh;
                 fresh.ramp.update(onWhite.p1Stamina, t);
                 IslandView::paint(p, QPointF(18 + IslandLayout::margin, 18 + IslandLayout::topHalo), onWhite,
                                   std::nullopt, fresh, t);
             }});
    }
    return out;
}

QImage render(const Entry& entry, Instant frame, double pixelScale) {
    const QSizeF points(entry.size.width() + 2 * margin, entry.size.height() + 2 * margin);
    const QSize pixels(int(std::ceil(points.width() * pixelScale)),
                       int(std::ceil(points.height() * pixelScale)));
    if (pixels.isEmpty() || !entry.draw) return {};
    QImage img(pixels, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) return {};
    img.setDevicePixelRatio(pixelScale);
    img.fill(backdrop());
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    p.translate(margin, margin);
    entry.draw(p, frame);
    p.end();
    return img;
}

int renderAll(const std::string& dir, std::ostream& out, std::ostream& err) {
    const Instant frame = frameTime();
    int status = 0;
    for (const Entry& entry : gallery(frame)) {
        QImage img = render(entry, frame);
        if (img.isNull()) {
            out << "render FAILED: " << entry.name << "\n" << std::flush;
            status = 1;
            continue;
        }
        const std::string path = (std::filesystem::path(dir) / ("island-" + entry.name + ".png")).string();
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !img.save(&file, "PNG")) {
            err << "could not write " << path << "\n" << std::flush;
            status = 1;
            continue;
        }
        file.close();
        out << "wrote " << path << "\n" << std::flush;
    }
    return status;
}

int renderAll(const std::string& dir) {
    return renderAll(dir, std::cout, std::cerr);
}

} // namespace fray::PreviewRenderer
