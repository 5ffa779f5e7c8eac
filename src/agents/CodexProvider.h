#pragma once

#include "io/FileAccess.h"
#include "io/ReadBuffer.h"
#include "session/AgentProvider.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace fray {

// Sessions of Codex, read from its rollout files under ~/.codex/sessions: the first line
// for the working directory; on first sight the end of the file back to the start of the
// current turn, and afterwards only the bytes appended since.
class CodexProvider final : public AgentProvider {
  public:
    explicit CodexProvider(const std::string& home, std::shared_ptr<FileAccess> files = nullptr);
    ~CodexProvider() override;

    Agent agent() const override { return Agent::codex; }
    bool isAvailable() const override;
    std::vector<SessionInfo> poll(Instant now, double needsActionDelay) override;

    const std::string& root() const { return root_; }

    static constexpr std::size_t headLimit = 1 << 20;
    static constexpr std::size_t headChunk = 64 * 1024;
    static constexpr std::uint64_t tailBytes = 128 * 1024;
    static constexpr std::size_t maxPromptTimes = 32;

    // Rollouts whose unread bytes add up to this much are read on two threads.
    static constexpr std::uint64_t parallelReadBytes = 1u << 20;

  private:
    enum class LastEvent { none, prompt, toolPending, toolsDone, agentMessage, taskComplete };
    // What the lines of a rollout read so far say, applied in file order.
    struct Scan {
        std::int64_t combo = 0;
        std::int64_t pending = 0; // calls waiting for their output, never below 0
        std::vector<Instant> promptTimes;
        LastEvent last = LastEvent::none;
        bool neverAsks = false; // the latest turn's approval policy never asks
        PendingCall call;       // the latest call
    };
    struct Line; // one line's effect
    struct Rollout {
        bool initialized = false;
        std::uint64_t consumed = 0; // just after the last complete line read
        std::uint64_t size = 0;     // the file's size at the latest read
        bool headRead = false;      // the first line was complete when read
        FileIdentity identity;      // of the file read; another one at the path starts over
        // A modification time in the future, and the moment it was first seen.
        std::optional<std::pair<Instant, Instant>> future;
        std::optional<std::string> cwd;
        Scan scan;
    };
    struct Parser;
    // What one thread needs to read a rollout: a parser and the two buffers.
    struct Scratch {
        Scratch();
        ~Scratch();
        std::unique_ptr<Parser> parser;
        ReadBuffer head;
        ReadBuffer tail;
        void release();
    };
    struct Candidate {
        std::string path;
        FileAttributes attrs;
        Rollout* rollout = nullptr;
    };

    std::vector<Candidate> walk(Instant now);
    void read(const std::string& path, const FileAttributes& attrs, Rollout& r, Scratch& s);
    static void readFirst(OpenFile& file, std::uint64_t size, Rollout& r, Scratch& s);
    static std::optional<SessionInfo> derive(const std::string& path, const FileAttributes& attrs,
                                             const Rollout& r, Instant now, double delay);
    static std::optional<std::string> readCwd(OpenFile& file, Scratch& s, bool& complete);
    static Line readLine(Parser& parser, const char* data, std::size_t len);
    static void apply(Scan& scan, const Line& line);

    std::shared_ptr<FileAccess> files_;
    std::string root_;
    std::unordered_map<std::string, Rollout> rollouts_; // by path, for the files in the window
    Scratch scratch_;
    std::unique_ptr<Scratch> helperScratch_; // only once a poll was worth a second thread
};

} // namespace fray
