#include "CodexProvider.h"

#include "io/TwoThreads.h"

#include "session/PathText.h"
#include "session/SessionRules.h"
#include "session/Timestamp.h"
#include "session/Tuning.h"

#include <simdjson.h>

#include <algorithm>
#include <cstring>

namespace fray {

namespace {

enum class LastEvent { none, prompt, toolPending, toolsDone, agentMessage, taskComplete };

bool isRollout(std::string_view name) {
    constexpr std::string_view prefix = "rollout-", ext = ".jsonl";
    return name.size() > ext.size() && name.substr(0, prefix.size()) == prefix &&
           name.substr(name.size() - ext.size()) == ext;
}

// Buffers that grew for an unusual file are not kept between polls.
constexpr std::size_t keepBuffer = 2u << 20;

} // namespace

struct CodexProvider::Parser {
    simdjson::dom::parser dom;
};

CodexProvider::Scratch::Scratch()
    : parser(std::make_unique<Parser>()), head(simdjson::SIMDJSON_PADDING), tail(simdjson::SIMDJSON_PADDING) {
}

CodexProvider::Scratch::~Scratch() = default;

void CodexProvider::Scratch::release() {
    head.clear();
    tail.clear();
    head.shrinkTo(keepBuffer);
    tail.shrinkTo(keepBuffer);
    // The parser keeps about 14 bytes per byte of the longest line it met.
    if (parser->dom.capacity() > Tuning::maxRetainedParserLine) parser = std::make_unique<Parser>();
}

CodexProvider::CodexProvider(const std::string& home, std::shared_ptr<FileAccess> files)
    : files_(files ? std::move(files) : posixFileAccess()), root_(PathText::join(home, ".codex/sessions")) {}

CodexProvider::~CodexProvider() = default;

bool CodexProvider::isAvailable() const {
    return files_->attributes(root_).has_value();
}

std::vector<SessionInfo> CodexProvider::poll(Instant now, double needsActionDelay) {
    std::vector<SessionInfo> out;
    try {
        const std::vector<Candidate> found = walk(now);
        std::uint64_t bytes = 0;
        for (const Candidate& c : found)
            bytes += std::min<std::uint64_t>(c.attrs.size, tailBytes);
        bool parallel = bytes >= parallelReadBytes;
        if (parallel && !helperScratch_) helperScratch_ = std::make_unique<Scratch>();
        // Rollouts are independent; results keep the enumeration order whoever reads them.
        std::vector<std::optional<SessionInfo>> sessions(found.size());
        forEachOnTwoThreads(found.size(), parallel, "fray.codex", [&](std::size_t i, int worker) {
            try {
                sessions[i] = read(found[i].path, found[i].attrs, now, needsActionDelay,
                                   worker ? *helperScratch_ : scratch_);
            } catch (...) {
                // One unreadable file costs only its own session.
            }
        });
        for (auto& s : sessions)
            if (s) out.push_back(std::move(*s));
    } catch (...) {
        // Out of memory at worst: what was found stands, the rest waits for the next poll.
    }
    scratch_.release();
    if (helperScratch_) helperScratch_->release();
    return out;
}

std::vector<CodexProvider::Candidate> CodexProvider::walk(Instant now) {
    std::vector<Candidate> out;
    auto top = files_->list(root_, true);
    if (!top) return out;

    // Depth first, in listing order, directories entered where they are met. Links to
    // directories are never followed, so a loop of links cannot trap the walk.
    struct Level {
        std::string dir;
        std::vector<DirEntry> entries;
        std::size_t next = 0;
    };
    std::vector<Level> stack;
    stack.push_back({root_, std::move(*top), 0});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirEntry& e = level.entries[level.next++];
        std::string path = PathText::join(level.dir, e.name);
        if (e.kind == EntryKind::directory) {
            if (e.isSymlink) continue;
            if (auto sub = files_->list(path, true)) stack.push_back({std::move(path), std::move(*sub), 0});
            continue; // `level` may be dangling after the push
        }
        if (e.kind != EntryKind::file || !e.attributes || !isRollout(e.name)) continue;
        if (secondsBetween(e.attributes->mtime, now) > Tuning::candidateWindow) continue;
        out.push_back({std::move(path), *e.attributes});
    }
    return out;
}

std::optional<std::string> CodexProvider::readCwd(OpenFile& file, std::uint64_t size, Scratch& s) {
    const char* data;
    std::size_t len;
    const char* lf = nullptr;
    if (s.tail.size() > 0 && size <= tailBytes) {
        // The tail read started at offset 0: the head is already in memory.
        data = s.tail.data();
        len = s.tail.size();
        lf = static_cast<const char*>(std::memchr(data, '\n', len));
    } else {
        s.head.clear();
        // Most first lines are a few KiB: start small and double up to the full chunk size,
        // rather than copying 64 KiB to find one line feed.
        std::size_t chunk = 8 * 1024;
        while (s.head.size() < headLimit) {
            const std::size_t want = std::min(chunk, headLimit - s.head.size()); // never past the first MiB
            char* dst = s.head.reserveTail(want);
            auto got = file.readAt(s.head.size(), dst, want);
            chunk = std::min(chunk * 2, headChunk);
            if (!got || *got == 0) break;
            s.head.commit(*got);
            lf = static_cast<const char*>(std::memchr(s.head.data() + s.head.size() - *got, '\n', *got));
            if (lf) break;
        }
        data = s.head.data();
        len = s.head.size();
    }
    if (!lf) return std::nullopt;

    simdjson::dom::element doc;
    if (s.parser->dom
            .parse(reinterpret_cast<const uint8_t*>(data), static_cast<std::size_t>(lf - data), false)
            .get(doc))
        return std::nullopt;
    std::string_view type, cwd;
    simdjson::dom::object payload;
    if (doc["type"].get_string().get(type) || type != "session_meta") return std::nullopt;
    if (doc["payload"].get_object().get(payload) || payload["cwd"].get_string().get(cwd)) return std::nullopt;
    return std::string(cwd);
}

std::optional<SessionInfo> CodexProvider::read(const std::string& path, const FileAttributes& attrs,
                                               Instant now, double delay, Scratch& s) {
    auto file = files_->open(path);
    if (!file) return std::nullopt;
    const Instant mtime = attrs.mtime;
    // The size the listing read a moment ago; the tail read still runs to the current end.
    const std::uint64_t size = attrs.size;

    // The tail first: for a small file it holds the head too, saving a second read.
    s.tail.clear();
    const std::uint64_t offset = size > tailBytes ? size - tailBytes : 0;
    // Bounded even when the file keeps growing while it is read.
    if (!readToEnd(*file, offset, tailBytes + Tuning::maxCatchupBytes, s.tail,
                   static_cast<std::size_t>(size - offset)))
        s.tail.clear();

    std::optional<std::string> cwd = readCwd(*file, size, s);

    std::int64_t combo = 0, pending = 0;
    std::vector<Instant> promptTimes;
    LastEvent last = LastEvent::none;

    const char* p = s.tail.data();
    const char* end = p + s.tail.size();
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* pieceEnd = lf ? lf : end;
        const std::size_t len = static_cast<std::size_t>(pieceEnd - p);
        const char* piece = p;
        p = lf ? lf + 1 : end;
        if (len <= 2) continue; // also the empty pieces between two line feeds

        simdjson::dom::element doc;
        if (s.parser->dom.parse(reinterpret_cast<const uint8_t*>(piece), len, false).get(doc)) continue;
        simdjson::dom::object obj, payload;
        std::string_view lineType, payloadType;
        if (doc.get_object().get(obj) || obj["type"].get_string().get(lineType) ||
            obj["payload"].get_object().get(payload) || payload["type"].get_string().get(payloadType))
            continue;

        if (payloadType == "user_message") {
            std::string_view stamp;
            if (!obj["timestamp"].get_string().get(stamp))
                if (auto t = parseTimestamp(stamp)) promptTimes.push_back(*t);
        }
        if (lineType == "event_msg") {
            if (payloadType == "user_message") {
                combo = 0;
                pending = 0;
                last = LastEvent::prompt;
            } else if (payloadType == "task_complete") {
                last = LastEvent::taskComplete;
            } else if (payloadType == "agent_message") {
                last = LastEvent::agentMessage;
            }
        } else if (lineType == "response_item") {
            if (payloadType == "function_call" || payloadType == "custom_tool_call" ||
                payloadType == "tool_search_call") {
                ++combo;
                ++pending;
                last = LastEvent::toolPending;
            } else if (payloadType == "function_call_output" || payloadType == "custom_tool_call_output" ||
                       payloadType == "tool_search_output") {
                pending = pending > 0 ? pending - 1 : 0;
                last = pending > 0 ? LastEvent::toolPending : LastEvent::toolsDone;
            } else if (payloadType == "message") {
                std::string_view role;
                if (!payload["role"].get_string().get(role) && role == "user") {
                    combo = 0;
                    last = LastEvent::prompt;
                }
            }
        }
    }
    if (last == LastEvent::none) return std::nullopt;
    const Activity activity = last == LastEvent::toolPending    ? Activity::toolPending
                              : last == LastEvent::taskComplete ? Activity::finished
                                                                : Activity::busy;
    const auto status = statusForAge(activity, secondsBetween(mtime, now), delay);
    if (!status) return std::nullopt;

    std::optional<Instant> lastPrompt;
    if (!promptTimes.empty()) lastPrompt = promptTimes.back();
    const double stamina = staminaValue(promptTimes, now);
    std::string project = lastComponentName(cwd).value_or("codex");
    return SessionInfo::make(path, std::move(project), std::nullopt, std::move(cwd), *status, combo, mtime,
                             mtime, lastPrompt, std::nullopt, stamina, Agent::codex);
}

} // namespace fray
