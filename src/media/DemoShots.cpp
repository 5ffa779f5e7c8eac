#include "Cast.h"
#include "DemoMedia.h"
#include "DemoScene.h"
#include "EncodeQueue.h"
#include "MediaFiles.h"
#include "SceneParts.h"

#include "island/CollapsedViews.h"
#include "island/IslandView.h"
#include "model/IslandLayout.h"
#include "model/PreferencesStore.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "settings_ui/SettingsView.h"
#include "theme/Redraw.h"

#include <QLinearGradient>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

namespace fray::DemoMedia {

namespace {

using S = SessionStatus;

// The shot padded on a dark gradient that fills the whole picture.
View closeup(View inner) {
    constexpr double left = 34, right = 34, top = 26, bottom = 30;
    const QSizeF size(inner.size.width() + left + right, inner.size.height() + top + bottom);
    return {size, [inner = std::move(inner), size](QPainter& p, Instant t) {
                QLinearGradient g(0, 0, 0, size.height());
                g.setColorAt(0, QColor::fromRgbF(0.16f, 0.17f, 0.22f));
                g.setColorAt(1, QColor::fromRgbF(0.09f, 0.09f, 0.13f));
                p.fillRect(QRectF(QPointF(0, 0), size), g);
                p.save();
                p.translate(left, top);
                inner.draw(p, t);
                p.restore();
            }};
}

View islandView(IslandModel m, std::optional<QRectF> notch, Instant now) {
    const double h = IslandView::height(m, notch, now);
    return {QSizeF(IslandLayout::islandWidth, h), [m = std::move(m), notch](QPainter& p, Instant t) {
                IslandViewState fresh;
                fresh.ramp.update(m.p1Stamina, t);
                IslandView::paint(p, QPointF(0, 0), m, notch, fresh, t);
                if (notch) p.fillRect(*notch, Qt::black); // the hardware notch
            }};
}

using Sessions = std::function<SessionList(Instant now)>;

Shot islandShot(std::string name, bool flash, Sessions sessions, bool expanded = false, bool withPlan = false,
                std::optional<QRectF> notch = std::nullopt) {
    return {std::move(name), flash, [=](Instant now) {
                PlanUsage plan = withPlan ? Cast::plan(now) : PlanUsage{};
                return closeup(islandView(
                    IslandModel::from(sessions(now), expanded, Cast::p1, plan, nullptr, now), notch, now));
            }};
}

Shot storyShot(std::string name, bool flash, double t, std::string caption) {
    return {std::move(name), flash, [t, caption = std::move(caption)](Instant now) {
                DemoScene scene = DemoScene::from(DemoScript::beat(t, now), terminalTitle);
                scene.caption = caption;
                scene.captionOpacity = 1;
                return View{QSizeF(DemoScene::W, DemoScene::H), [scene](QPainter& p, Instant at) {
                                IslandViewState fresh;
                                scene.paint(p, fresh, at);
                            }};
            }};
}

// The story's main session and its companion, in the state a close-up names.
SessionInfo orbit(S status, std::int64_t combo, double ago, double promptAgo, double stamina, Instant now) {
    return Cast::s("a", "orbit-api", "feat/stripe-webhooks", status, combo, ago, promptAgo, stamina,
                   Agent::claude, now);
}
SessionInfo nova(std::int64_t combo, Instant now) {
    return Cast::s("b", "nova-checkout", "main", S::working, combo, 148, 320, 0.6, Agent::codex, now);
}

// The settings window on a machine with two displays, staged with friendly names.
struct OptionsPreview {
    Platform platform = fake::makePlatform("/nonexistent");
    Settings settings{std::make_shared<PreferencesStore>()};
    std::unique_ptr<SettingsView> view;

    OptionsPreview() {
        ScreenInfo builtIn, studio;
        builtIn.id = "Screen 1";
        builtIn.frame = builtIn.visibleFrame = {0, 0, 1512, 982};
        builtIn.builtIn = true;
        studio.id = "Screen 2";
        studio.frame = studio.visibleFrame = {1512, 0, 2560, 1440};
        std::static_pointer_cast<fake::Displays>(platform.displays)->list = {builtIn, studio};
        view = std::make_unique<SettingsView>(settings, platform, nullptr, nullptr);
        view->overrideMonitorNames({"Built-in Display", "Studio Display"});
        view->resize(view->sizeHint());
    }
    ~OptionsPreview() { view.reset(); } // the view goes before its settings and platform
};

Shot optionsShot() {
    return {"15-options", false, [](Instant) {
                auto preview = std::make_shared<OptionsPreview>();
                return closeup({QSizeF(preview->view->size()), [preview](QPainter& p, Instant) {
                                    preview->view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
                                }});
            }};
}

Shot collapsedShot() {
    return {"14-collapsed-mini", true, [](Instant now) {
                IslandModel m = IslandModel::from(Cast::roster(now), false, Cast::p1, {}, nullptr, now);
                return closeup(
                    {QSizeF(CollapsedIsland::width, CollapsedIsland::height),
                     [m](QPainter& p, Instant t) { CollapsedIsland::paint(p, QPointF(0, 0), m, t); }});
            }};
}

// Files are written as soon as they are encoded, in any order; the lines about them
// come out in shot order.
class ReportsInOrder {
  public:
    ReportsInOrder(std::size_t count, std::ostream& out, std::ostream& err)
        : lines_(count), out_(out), err_(err) {}

    // `outLine` for standard output, `errLine` for standard error; an error line or a
    // "FAILED" line marks the run as failed.
    void done(std::size_t index, std::string outLine, std::string errLine) {
        std::lock_guard lock(mutex_);
        if (!errLine.empty() || outLine.rfind("FAILED ", 0) == 0) failed_ = true;
        lines_[index] = {std::move(outLine), std::move(errLine)};
        for (; next_ < lines_.size() && lines_[next_]; ++next_) {
            if (!lines_[next_]->first.empty()) out_ << lines_[next_]->first << "\n" << std::flush;
            if (!lines_[next_]->second.empty()) err_ << lines_[next_]->second << "\n" << std::flush;
        }
    }
    bool failed() {
        std::lock_guard lock(mutex_);
        return failed_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::optional<std::pair<std::string, std::string>>> lines_;
    std::size_t next_ = 0;
    bool failed_ = false;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace

std::vector<Shot> shots() {
    const QRectF notch((IslandLayout::islandWidth - 185) / 2, 0, 185, 32);
    return {
        storyShot("01-hero-working", false, 13.0, "EVERY TOOL CALL LANDS AS A HIT"),
        storyShot("02-your-move", true, 19.0, "WAITING ON YOU? THE ISLAND GOES RED"),
        storyShot("03-roster", true, 35.0, "HOVER FOR THE FULL ROSTER — EVERY AGENT YOU RUN"),
        storyShot("04-ko", false, 29.7, "K.O. — THE TURN IS DONE"),
        storyShot("05-collapsed", false, 41.0, "CLICK TO SHRINK IT. DRAG IT ANYWHERE."),
        islandShot("06-state-fight", false,
                   [](Instant now) -> SessionList { return {orbit(S::started, 0, 2, 2, 0.97, now)}; }),
        islandShot(
            "07-state-working", false,
            [](Instant now) -> SessionList {
                return {orbit(S::working, 12, 38, 40, 0.8, now), nova(6, now)};
            },
            false, true),
        islandShot("08-state-your-move", true,
                   [](Instant now) -> SessionList {
                       return {orbit(S::needsAction, 24, 47, 95, 0.72, now), nova(9, now)};
                   }),
        islandShot("09-state-ko", false,
                   [](Instant now) -> SessionList {
                       return {orbit(S::completed, 34, 12, 170, 0.6, now), nova(13, now)};
                   }),
        // Prompted 0.6 s ago: the flare is near its height.
        islandShot("10-powerup", false,
                   [](Instant now) -> SessionList { return {orbit(S::working, 2, 0.6, 0.6, 0.97, now)}; }),
        islandShot("11-long-grind", false,
                   [](Instant now) -> SessionList { return {orbit(S::working, 38, 560, 600, 0.55, now)}; }),
        islandShot("12-roster-expanded", true, Cast::roster, true, true),
        islandShot("13-idle", false, [](Instant) { return SessionList{}; }),
        collapsedShot(),
        optionsShot(),
        islandShot(
            "16-notch", false,
            [](Instant now) -> SessionList {
                return {orbit(S::working, 12, 38, 40, 0.8, now), nova(6, now)};
            },
            false, false, notch),
    };
}

View wordmark() {
    return {WordmarkView::size(), [](QPainter& p, Instant) { WordmarkView::paint(p, QPointF(0, 0)); }};
}

QImage render(const View& view, double scale, bool opaque, Instant t) {
    const QSize px(int(std::ceil(view.size.width() * scale)), int(std::ceil(view.size.height() * scale)));
    if (px.isEmpty() || !view.draw) return {};
    QImage img(px, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) return {};
    img.setDevicePixelRatio(scale);
    img.fill(opaque ? Qt::black : Qt::transparent);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    view.draw(p, t);
    p.end();
    return img;
}

bool isFlashPeak(Instant t) {
    const double s = Redraw::phase(t);
    return std::sin(7 * s) > 0.88 && std::sin(5 * s) > 0.2;
}

Instant nextFlashPeak(Instant from) {
    constexpr int steps = 750; // 1.5 s of 2 ms
    for (int i = 0; i < steps; ++i)
        if (const Instant t = from + 0.002 * i; isFlashPeak(t)) return t;
    return from + 0.002 * steps;
}

Instant waitForFlashPeak(const Clock& clock, const std::function<void(Instant)>& sleepUntil) {
    const Instant peak = nextFlashPeak(clock());
    if (sleepUntil)
        sleepUntil(peak);
    else
        std::this_thread::sleep_until(peak);
    return peak;
}

int renderShots(const std::string& dir, std::ostream& out, std::ostream& err) {
    if (!MediaFiles::makeDirectory(dir, "the stills", err)) return 1;
    const std::vector<Shot> list = shots();
    ReportsInOrder reports(list.size() + 1, out, err); // the wordmark, then every shot
    EncodeQueue writer(EncodeQueue::workersForThisMachine(), list.size() + 1); // never holds up a render

    auto save = [&](std::size_t index, const std::string& name, QImage img) {
        if (img.isNull()) return reports.done(index, "FAILED " + name, {});
        writer.push([&, index, name, img = std::move(img)] {
            const QByteArray png = MediaFiles::encode(img, "PNG");
            if (png.isEmpty()) return reports.done(index, "FAILED " + name, {});
            const std::string file = name + ".png";
            const std::string path = (std::filesystem::path(dir) / file).string();
            if (auto why = MediaFiles::write(path, png))
                return reports.done(index, {}, "could not write " + path + ": " + *why);
            reports.done(index, "wrote " + file, {});
        });
    };

    save(0, "wordmark", render(wordmark(), wordmarkScale, false, wallNow()));
    // The shots without a flash first; then the flashing ones back to back, so that one
    // peak of the pulses usually serves them all (each still checks that it lasts).
    for (bool flash : {false, true})
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].flash != flash) continue;
            const Instant now = flash ? waitForFlashPeak() : wallNow();
            save(i + 1, list[i].name, render(list[i].make(now), shotScale, true, now));
        }
    writer.drain();
    return reports.failed() ? 1 : 0;
}

int renderShots(const std::string& dir) {
    return renderShots(dir, std::cout, std::cerr);
}

} // namespace fray::DemoMedia
