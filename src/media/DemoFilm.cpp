#include "DemoMedia.h"
#include "DemoScene.h"
#include "EncodeQueue.h"
#include "MediaFiles.h"

#include <QImage>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace fray::DemoMedia {

namespace {

// Frame buffers handed back by the encoder: a fresh 8 MB image per frame would cost its
// page faults every time.
class FramePool {
  public:
    explicit FramePool(QSize pixels) : pixels_(pixels) {}
    QImage take() {
        std::lock_guard lock(mutex_);
        if (spare_.empty()) return QImage(pixels_, QImage::Format_RGB32);
        QImage img = std::move(spare_.back());
        spare_.pop_back();
        return img;
    }
    void give(QImage img) {
        std::lock_guard lock(mutex_);
        spare_.push_back(std::move(img));
    }

  private:
    QSize pixels_;
    std::mutex mutex_;
    std::vector<QImage> spare_;
};

struct Captured {
    std::string file;
    double t; // seconds since the start of the capture
};

constexpr double minimumDuration = 0.008;
constexpr double lastDuration = 0.05;

} // namespace

int renderFilm(const std::string& dir, std::ostream& out, std::ostream& err, const FilmOptions& options) {
    if (!MediaFiles::makeDirectory(dir, "the film", err)) return 1;
    const double scale = options.scale > 0 ? options.scale : filmScale;
    const QSize pixels(int(std::ceil(DemoScene::W * scale)), int(std::ceil(DemoScene::H * scale)));
    const std::filesystem::path folder(dir);

    std::vector<Captured> frames;
    std::mutex mutex; // guards the two below, written by the encoder threads
    std::set<std::size_t> unencoded;
    std::optional<std::string> writeFailure;
    std::atomic<bool> stop = false;
    int unrendered = 0;

    using Steady = std::chrono::steady_clock;
    const auto start = Steady::now();
    const Instant wallStart = wallNow();
    auto elapsed = [&] { return std::chrono::duration<double>(Steady::now() - start).count(); };
    // The capture time of the next frame, at least one frame interval after `previous`.
    auto paced = [&](double previous) {
        const double due = previous < 0 ? 0 : previous + 1 / filmMaxFrameRate;
        if (const double early = due - elapsed(); early > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(early));
        return elapsed();
    };
    {
        FramePool pool(pixels); // outlives the encoder, whose tasks hand their frames back
        const int workers = EncodeQueue::workersForThisMachine();
        EncodeQueue encoder(workers, std::size_t(2 * workers));
        IslandViewState island; // the stamina bar ramps from frame to frame, as on screen
        double previous = -1;
        for (double t = paced(previous); t <= DemoScript::duration && !stop; t = paced(previous)) {
            previous = t;
            const Instant now = wallStart + t;
            const DemoScene scene = DemoScene::from(DemoScript::beat(t, now), terminalTitle);
            QImage img = pool.take();
            if (img.isNull()) {
                ++unrendered;
                continue;
            }
            img.setDevicePixelRatio(scale);
            {
                QPainter p(&img);
                scene.paint(p, island, now);
            }
            char name[32];
            std::snprintf(name, sizeof name, "f%05d.jpg", int(frames.size()));
            const std::size_t index = frames.size();
            frames.push_back({name, t});
            encoder.push([&, index, img = std::move(img), path = (folder / name).string()]() mutable {
                if (stop) return;
                const QByteArray jpeg = MediaFiles::encode(img, "JPG", filmQuality);
                pool.give(std::move(img));
                std::optional<std::string> why;
                if (!jpeg.isEmpty()) why = MediaFiles::write(path, jpeg);
                std::lock_guard lock(mutex);
                if (jpeg.isEmpty()) {
                    unencoded.insert(index);
                } else if (why && !writeFailure) {
                    // A disk that refuses one frame refuses the rest: stop rather than fail 46 s of them.
                    writeFailure = "could not write " + path + ": " + *why;
                    stop = true;
                }
            });
            if (options.afterFrame) options.afterFrame();
            if (frames.size() % 40 == 0)
                out << "  " << MediaFiles::fixed(t, 1) << "s / " << MediaFiles::fixed(DemoScript::duration, 0)
                    << "s — " << frames.size() << " frames\n"
                    << std::flush;
        }
        encoder.drain();
    }
    if (writeFailure) {
        err << *writeFailure << "\nfraymark: the film was not finished\n" << std::flush;
        return 1;
    }

    // Each frame lasts until the next one was captured; frames that could not be encoded
    // leave their time to the frame before. Durations are counted in the list's 0.1 ms
    // steps against the running total, so that thousands of rounded 1/60 s gaps add up
    // to the capture time instead of drifting from it.
    auto steps = [](double seconds) { return std::llround(seconds * 10000); };
    std::string list = "ffconcat version 1.0\n";
    const Captured* first = nullptr;
    const Captured* previous = nullptr;
    long long listedSteps = 0;
    int listed = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (unencoded.count(i)) continue;
        if (previous) {
            const long long d = std::max(steps(frames[i].t - first->t) - listedSteps, steps(minimumDuration));
            list += "duration " + MediaFiles::fixed(double(d) / 10000, 4) + "\n";
            listedSteps += d;
        } else {
            first = &frames[i];
        }
        list += "file " + frames[i].file + "\n";
        previous = &frames[i];
        ++listed;
    }
    if (!previous) {
        err << "fraymark: no frame of the film could be made\n" << std::flush;
        return 1;
    }
    // The last entry again, so that a player honours the last frame's duration.
    list += "duration " + MediaFiles::fixed(lastDuration, 4) + "\nfile " + previous->file + "\n";
    const std::string listPath = (folder / "frames.txt").string();
    if (auto why = MediaFiles::write(listPath, QByteArray::fromStdString(list))) {
        err << "could not write " << listPath << ": " << *why << "\n" << std::flush;
        return 1;
    }
    const double total = elapsed();
    out << "wrote " << listed << " frames (" << MediaFiles::fixed(listed / total, 1) << " fps capture) to "
        << dir << "\n"
        << std::flush;
    const std::size_t lost = unencoded.size() + std::size_t(unrendered);
    if (lost > 0) {
        err << "fraymark: " << lost << " frames could not be made and were left out\n" << std::flush;
        return 1;
    }
    return 0;
}

int renderFilm(const std::string& dir) {
    return renderFilm(dir, std::cout, std::cerr);
}

} // namespace fray::DemoMedia
