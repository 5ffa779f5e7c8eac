// The demo film for real: a slowed capture of the 46 seconds, read back by ffmpeg's own tools.
#include "media/DemoMedia.h"

#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <regex>
#include <sstream>
#include <thread>

namespace fray {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr double slowDelay = 0.05;
constexpr double runningTime = 46.05; // the story plus the last frame's 0.05 s

struct List {
    std::vector<std::string> files;
    std::vector<double> durations;
    double total() const { return std::accumulate(durations.begin(), durations.end(), 0.0); }
};

List readList(const fs::path& file) {
    List list;
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "ffconcat version 1.0");
    while (std::getline(in, line)) {
        if (line.rfind("file ", 0) == 0)
            list.files.push_back(line.substr(5));
        else if (line.rfind("duration ", 0) == 0)
            list.durations.push_back(std::stod(line.substr(9)));
        else
            ADD_FAILURE() << "unexpected line: " << line;
    }
    return list;
}

// One capture for the tests, slowed down: each frame takes at least `slowDelay`.
struct Film {
    TempDir home, root;
    std::map<std::string, std::string> env = isolatedEnv(home.str());
    fs::path dir = root / "slow with 'quote";
    int status = -1;
    std::string out, err;
    double seconds = 0; // an upper bound of the capture's running time

    Film() {
        const auto start = std::chrono::steady_clock::now();
        DemoMedia::FilmOptions options;
        options.scale = 0.5;
        options.afterFrame = [] { std::this_thread::sleep_for(std::chrono::duration<double>(slowDelay)); };
        std::ostringstream o, e;
        status = DemoMedia::renderFilm(dir.string(), o, e, options);
        out = o.str();
        err = e.str();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

const Film& film() {
    static const Film f;
    return f;
}

ProcessResult tool(const std::string& program, std::vector<std::string> args) {
    return runProcess(program, std::move(args), film().env, std::chrono::seconds(300));
}

ProcessResult probe(const fs::path& input, const std::string& entries) {
    return tool("/usr/bin/ffprobe", {"-v", "error", "-i", input.string(), "-select_streams", "v:0",
                                     "-show_entries", entries, "-of", "default=nw=1:nk=1"});
}

TEST(Film, FramesLastAsLongAsTheyTookAndFillTheRunningTime) {
    const Film& f = film();
    ASSERT_EQ(f.status, 0) << f.err;
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(f.out, m, std::regex(R"(wrote (\d+) frames \((\d+\.\d) fps capture\) to (.*)\n$)")))
        << f.out;
    const int frames = std::stoi(m[1]);
    const double fps = std::stod(m[2]);
    EXPECT_EQ(m[3], f.dir.string());
    // The rate printed is the frames over the capture's own running time, which is
    // more than the story and less than what this test waited.
    EXPECT_LE(fps, frames / 46.0 + 0.05);
    EXPECT_GE(fps, frames / f.seconds - 0.05);

    const List list = readList(f.dir / "frames.txt");
    ASSERT_EQ(list.files.size(), std::size_t(frames + 1)) << "every frame, then the last again";
    EXPECT_EQ(list.files[std::size_t(frames) - 1], list.files.back());
    EXPECT_EQ(std::distance(fs::directory_iterator(f.dir), fs::directory_iterator()), frames + 1);
    EXPECT_LE(list.files.size(), std::size_t(46 / slowDelay) + 2);
    for (std::size_t i = 0; i + 1 < list.durations.size(); ++i)
        ASSERT_GE(list.durations[i], slowDelay) << "frame " << i << " lasts as long as it took";
    EXPECT_NEAR(list.total(), runningTime, 0.1);
}

// The slow film sits in a folder whose name holds a quote, which the script's list must keep.
TEST(Film, VideoScriptMakesAThirtyFrameVideoOfTheRunningTime) {
    const Film& f = film();
    const std::string script = FRAYMARK_SOURCE_DIR "/scripts/film-to-video.sh";
    const fs::path video = f.root / "demo.mp4";
    const auto made = tool("/bin/bash", {script, f.dir.string(), video.string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out, "wrote " + video.string() + "\n");
    EXPECT_EQ(probe(video, "stream=codec_name,width,height,r_frame_rate").out, "h264\n640\n360\n30/1\n");
    EXPECT_NEAR(std::stod(probe(video, "format=duration").out), runningTime, 0.1);
    const auto decode =
        tool("/usr/bin/ffmpeg", {"-v", "error", "-nostdin", "-i", video.string(), "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0);
    EXPECT_EQ(decode.err, "");

    // The codec follows the name; one it does not know, no film, or a missing argument fail.
    const fs::path nothing = f.root / "nothing";
    for (auto [args, exit, says] :
         {std::tuple{std::vector<std::string>{f.dir.string(), (f.root / "x.avi").string()}, 2,
                     "must end in .mp4 or .webm"},
          {{nothing.string(), (f.root / "x.mp4").string()}, 1, "frames.txt is missing"},
          {{f.dir.string()}, 2, "usage: "}}) {
        args.insert(args.begin(), script);
        const auto got = tool("/bin/bash", args);
        EXPECT_EQ(got.exitCode, exit);
        EXPECT_NE(got.err.find(says), std::string::npos) << got.err;
    }
}

} // namespace
} // namespace fray
