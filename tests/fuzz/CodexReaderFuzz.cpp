// The Codex provider over an in-memory file system, polled after every change: text
// appended in pieces that cut lines anywhere, a file truncated, a file replaced by
// another through a rename, the clock moving on. Whatever it reads, a provider that
// followed every change reports what a new one reads from the final files.
#include "FuzzCheck.h"
#include "agents/CodexProvider.h"
#include "support/MemoryFileAccess.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <random>

using namespace fray;

namespace {

const std::string kHome = "/home/u";
const std::string kDir = kHome + "/.codex/sessions/2026/01/01/";

// What a session says, without the fields a long first read may see differently.
auto essence(const SessionInfo& s) {
    return std::make_tuple(s.id, s.project, s.cwd, s.status, s.combo, s.lastActivity, s.lastPromptAt);
}

} // namespace

// The input is rollout text (the seeds are rollouts) and, in its last four bytes, the seed
// of the choices: which file, how much of the text comes next, and what happens to it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::minstd_rand choose(in.ConsumeIntegral<std::uint32_t>());
    const std::string text = in.ConsumeRemainingBytesAsString();
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(choose() % n); };
    auto files = std::make_shared<test::MemoryFileAccess>();
    CodexProvider followed(kHome, files);
    Instant now = fromUnixSeconds(1767268800.0); // 2026-01-01T12:00:00Z
    for (std::size_t at = 0; at < text.size();) {
        const std::string path = kDir + "rollout-" + std::to_string(pick(3)) + ".jsonl";
        // A modification time a while behind the clock, or up to a minute ahead of it.
        const Instant mtime = now + static_cast<double>(pick(3061)) - 3000;
        const std::string piece = text.substr(at, 1 + pick(400));
        switch (pick(8)) {
        case 0: // truncated
            if (auto it = files->files.find(path); it != files->files.end())
                files->truncate(path, pick(it->second.bytes.size() + 1), mtime);
            break;
        case 1: // another file renamed over it
            files->write(path, piece, mtime);
            at += piece.size();
            break;
        case 2:
            now = now + static_cast<double>(pick(900));
            break;
        default:
            files->append(path, piece, mtime);
            at += piece.size();
        }
        const auto sessions = followed.poll(now, 20);
        FUZZ_CHECK(sessions.size() <= files->files.size());
        for (const auto& s : sessions)
            FUZZ_CHECK(s.combo >= 0 && secondsBetween(s.lastActivity, now) >= 0);
    }
    // Files this small are read whole on first sight, so a new reader must agree, but for
    // the times of files dated ahead, which count from when each reader first saw them.
    for (auto& [path, file] : files->files)
        file.mtime = std::min(file.mtime, now);
    const auto once = followed.poll(now, 20), fresh = CodexProvider(kHome, files).poll(now, 20);
    FUZZ_CHECK(once.size() == fresh.size());
    for (std::size_t i = 0; i < once.size(); ++i)
        FUZZ_CHECK(essence(once[i]) == essence(fresh[i]));
    return 0;
}
