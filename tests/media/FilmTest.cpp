// The demo film for real: the binary captures the 46 seconds at full size while a slowed
// capture runs in this process at the same time; then ffmpeg's own tools read both.
#include "media/DemoMedia.h"

#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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

struct Films {
    TempDir home, root;
    std::map<std::string, std::string> env = isolatedEnv(home.str());
    fs::path full = root / "full", slow = root / "slow with 'quote";
    ProcessResult binary;
    double binarySeconds = 0; // an upper bound of the binary's running time
    int slowStatus = -1;
    std::string slowOut, slowErr;

    Films() {
        const auto start = std::chrono::steady_clock::now();
        BackgroundProcess process(FRAYMARK_BINARY, {"--render-film", full.string()}, env);
        DemoMedia::FilmOptions options;
        options.scale = 0.5;
        options.afterFrame = [] { std::this_thread::sleep_for(std::chrono::duration<double>(slowDelay)); };
        std::ostringstream out, err;
        slowStatus = DemoMedia::renderFilm(slow.string(), out, err, options);
        slowOut = out.str();
        slowErr = err.str();
        while (auto line = process.readLine(std::chrono::seconds(120)))
            binary.out += *line + "\n";
        binary.exitCode = process.stop(0, std::chrono::seconds(30));
        binary.err = process.stderrText();
        binarySeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

const Films& films() {
    static const Films f;
    return f;
}

ProcessResult tool(const std::string& program, std::vector<std::string> args) {
    return runProcess(program, std::move(args), films().env, std::chrono::seconds(300));
}

ProcessResult probe(const fs::path& input, const std::string& entries, bool concat) {
    std::vector<std::string> args{"-v", "error"};
    if (concat) args.insert(args.end(), {"-f", "concat", "-safe", "0"});
    args.insert(args.end(), {"-i", input.string(), "-select_streams", "v:0", "-show_entries", entries, "-of",
                             "default=nw=1:nk=1"});
    return tool("/usr/bin/ffprobe", args);
}

TEST(Film, CapturedInRealTimeAtFullSize) {
    const Films& f = films();
    ASSERT_EQ(f.binary.exitCode, 0) << f.binary.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(f.binary.out, m,
                                  std::regex(R"(\nwrote (\d+) frames \((\d+\.\d) fps capture\) to (.*)\n$)")))
        << f.binary.out;
    const int frames = std::stoi(m[1]);
    const double fps = std::stod(m[2]);
    EXPECT_EQ(m[3], f.full.string());
    // The rate printed is the frames over the capture's own running time, which is
    // more than the story and less than what this test waited.
    EXPECT_LE(fps, frames / 46.0 + 0.05);
    EXPECT_GE(fps, frames / f.binarySeconds - 0.05);
    EXPECT_EQ(std::count(f.binary.out.begin(), f.binary.out.end(), '\n'), frames / 40 + 1)
        << "a progress line every 40 frames";

    const List list = readList(f.full / "frames.txt");
    ASSERT_EQ(list.files.size(), std::size_t(frames + 1)) << "every frame, then the last again";
    EXPECT_EQ(list.files[std::size_t(frames) - 1], list.files.back());
    EXPECT_EQ(std::distance(fs::directory_iterator(f.full), fs::directory_iterator()), frames + 1);
    EXPECT_NEAR(list.total(), runningTime, 0.1);
    // ffmpeg reads the list as a stream of 1920 x 1080 pictures.
    EXPECT_EQ(probe(f.full / "frames.txt", "stream=width,height", true).out, "1920\n1080\n");
}

TEST(Film, SlowCaptureGivesFewerLongerFramesAndTheSameRunningTime) {
    const Films& f = films();
    ASSERT_EQ(f.slowStatus, 0) << f.slowErr;
    const List slow = readList(f.slow / "frames.txt");
    EXPECT_LE(slow.files.size(), std::size_t(46 / slowDelay) + 2);
    EXPECT_LT(slow.files.size(), readList(f.full / "frames.txt").files.size());
    for (std::size_t i = 0; i + 1 < slow.durations.size(); ++i)
        ASSERT_GE(slow.durations[i], slowDelay) << "frame " << i << " lasts as long as it took";
    EXPECT_NEAR(slow.total(), runningTime, 0.1);
}

// The slow film sits in a folder whose name holds a quote, which the script's list must keep.
TEST(Film, VideoScriptMakesAThirtyFrameVideoOfTheRunningTime) {
    const Films& f = films();
    const std::string script = FRAYMARK_SOURCE_DIR "/scripts/film-to-video.sh";
    const fs::path video = f.root / "demo.mp4";
    const auto made = tool("/bin/bash", {script, f.slow.string(), video.string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out, "wrote " + video.string() + "\n");
    EXPECT_EQ(probe(video, "stream=codec_name,width,height,r_frame_rate", false).out,
              "h264\n640\n360\n30/1\n");
    EXPECT_NEAR(std::stod(probe(video, "format=duration", false).out), runningTime, 0.1);
    const auto decode =
        tool("/usr/bin/ffmpeg", {"-v", "error", "-nostdin", "-i", video.string(), "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0);
    EXPECT_EQ(decode.err, "");

    // A short film of its own, three pictures of the slow one, as WebM; and a name it refuses.
    const fs::path shortFilm = f.root / "short";
    fs::create_directories(shortFilm);
    for (const char* name : {"f00000.jpg", "f00001.jpg", "f00002.jpg"})
        fs::copy_file(f.slow / name, shortFilm / name);
    std::ofstream(shortFilm / "frames.txt")
        << "ffconcat version 1.0\nfile f00000.jpg\nduration 0.5\n"
           "file f00001.jpg\nduration 0.5\nfile f00002.jpg\nduration 0.05\n"
           "file f00002.jpg\n";
    const fs::path webm = f.root / "short.webm";
    ASSERT_EQ(tool("/bin/bash", {script, shortFilm.string(), webm.string()}).exitCode, 0);
    EXPECT_EQ(probe(webm, "stream=codec_name,r_frame_rate", false).out, "vp9\n30/1\n");
    EXPECT_NEAR(std::stod(probe(webm, "format=duration", false).out), 1.05, 0.05);
    const fs::path nothing = f.root / "nothing";
    for (auto [args, exit, says] :
         {std::tuple{std::vector<std::string>{shortFilm.string(), (f.root / "x.avi").string()}, 2,
                     "must end in .mp4 or .webm"},
          {{nothing.string(), (f.root / "x.mp4").string()}, 1, "frames.txt is missing"},
          {{shortFilm.string()}, 2, "usage: "}}) {
        args.insert(args.begin(), script);
        const auto got = tool("/bin/bash", args);
        EXPECT_EQ(got.exitCode, exit);
        EXPECT_NE(got.err.find(says), std::string::npos) << got.err;
    }
}

} // namespace
} // namespace fray
