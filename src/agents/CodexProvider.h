#pragma once

#include "io/FileAccess.h"
#include "io/ReadBuffer.h"
#include "session/AgentProvider.h"

#include <memory>
#include <string>

namespace fray {

// Sessions of Codex, read from its rollout files under ~/.codex/sessions: the first line
// for the working directory, the last 128 KiB for what happened lately.
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

    // Rollouts whose tails add up to this much are read on two threads.
    static constexpr std::uint64_t parallelReadBytes = 1u << 20;

  private:
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
    };

    std::vector<Candidate> walk(Instant now);
    std::optional<SessionInfo> read(const std::string& path, const FileAttributes& attrs, Instant now,
                                    double delay, Scratch& s);
    static std::optional<std::string> readCwd(OpenFile& file, std::uint64_t size, Scratch& s);

    std::shared_ptr<FileAccess> files_;
    std::string root_;
    Scratch scratch_;
    std::unique_ptr<Scratch> helperScratch_; // only once a poll was worth a second thread
};

} // namespace fray
