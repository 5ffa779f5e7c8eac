#include "CodexProvider.h"

#include "io/BackwardRead.h"
#include "io/TwoThreads.h"

#include "session/PathText.h"
#include "session/SessionRules.h"
#include "session/Timestamp.h"
#include "session/Tuning.h"
#include "session/UnicodeText.h"

#include <simdjson.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <unordered_set>

namespace fray {

namespace {

bool isRollout(std::string_view name) {
    constexpr std::string_view prefix = "rollout-", ext = ".jsonl";
    return name.size() > ext.size() && name.substr(0, prefix.size()) == prefix &&
           name.substr(name.size() - ext.size()) == ext;
}

// Buffers that grew for an unusual file are not kept between polls.
constexpr std::size_t keepBuffer = 2u << 20;

// The function and what it runs: the command line of a shell call ("cmd", or "command"
// as a string or a word list), else the first text of its arguments, or its input.
PendingCall pendingCall(simdjson::dom::object payload) {
    std::string_view name, text;
    if (payload["name"].get_string().get(name)) name = {};
    std::string summary;
    simdjson::dom::object args;
    simdjson::dom::parser parser;
    if (!payload["arguments"].get_string().get(text) && !text.empty() && text.front() == '{' &&
        !parser.parse(text).get_object().get(args)) {
        std::string_view cmd;
        simdjson::dom::array words;
        if (!args["cmd"].get_string().get(cmd) || !args["command"].get_string().get(cmd)) {
            summary = cmd;
        } else if (!args["command"].get_array().get(words)) {
            // ["bash", "-lc", "npm test"]: the script is what says what runs.
            for (auto w : words) {
                std::string_view word;
                if (!w.get_string().get(word)) summary = word;
            }
        } else {
            for (auto field : args)
                if (!field.value.get_string().get(cmd)) {
                    summary = cmd;
                    break;
                }
        }
    } else if (!payload["input"].get_string().get(text) || !payload["arguments"].get_string().get(text)) {
        summary = text;
    }
    return {UnicodeText::oneLine(name, 40), UnicodeText::oneLine(summary, PendingCall::summaryCharacters)};
}

} // namespace

struct CodexProvider::Parser {
    simdjson::dom::parser dom;
};

// What one rollout line does to the scan.
struct CodexProvider::Line {
    enum class Effect : std::uint8_t {
        none,
        userMessage, // the event: a turn begins
        userItem,    // the model input item with the user's role
        taskComplete,
        agentMessage,
        call,      // a tool call that waits for its output
        webSearch, // a tool call that completes where it stands
        output,
        turnContext,
    };
    Effect effect = Effect::none;
    bool neverAsks = false;          // turnContext
    PendingCall call;                // call
    std::optional<Instant> prompted; // any user_message payload with a readable timestamp
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
        std::vector<Candidate> found = walk(now);
        // Rollouts that left the window are forgotten; the others keep what was read.
        std::unordered_set<std::string_view> live;
        for (const Candidate& c : found)
            live.insert(c.path);
        std::erase_if(rollouts_, [&](const auto& entry) { return !live.contains(entry.first); });

        std::vector<Candidate*> reads;
        std::uint64_t bytes = 0;
        for (Candidate& c : found) {
            c.rollout = &rollouts_[c.path];
            // Replaced through a rename, perhaps by a larger file: read it as a new one.
            if (c.rollout->initialized && c.rollout->identity != c.attrs.identity()) *c.rollout = Rollout{};
            // A modification time in the future (clock skew, a restored backup) counts as the
            // moment it was first seen, so that the session still ages and leaves.
            auto& future = c.rollout->future;
            if (c.attrs.mtime <= now) {
                future.reset();
            } else {
                if (!future || future->first != c.attrs.mtime) future = std::pair(c.attrs.mtime, now);
                c.attrs.mtime = future->second;
            }
            const Rollout& r = *c.rollout;
            if (r.initialized && r.size == c.attrs.size) continue; // unchanged: not even opened
            reads.push_back(&c);
            bytes += !r.initialized || c.attrs.size < r.size
                         ? std::min<std::uint64_t>(c.attrs.size, tailBytes)
                         : c.attrs.size - r.consumed;
        }
        bool parallel = bytes >= parallelReadBytes && reads.size() >= 2;
        if (parallel && !helperScratch_) helperScratch_ = std::make_unique<Scratch>();
        // Rollouts are independent: each read touches only its own state.
        forEachOnTwoThreads(reads.size(), parallel, "fray.codex", [&](std::size_t i, int worker) {
            Candidate& c = *reads[i];
            try {
                read(c.path, c.attrs, *c.rollout, worker ? *helperScratch_ : scratch_);
            } catch (...) {
                *c.rollout = Rollout{}; // one unreadable file costs only its own session
            }
        });
        for (const Candidate& c : found)
            if (auto s = derive(c.path, c.attrs, *c.rollout, now, needsActionDelay))
                out.push_back(std::move(*s));
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

std::optional<std::string> CodexProvider::readCwd(OpenFile& file, Scratch& s, bool& complete) {
    s.head.clear();
    const char* lf = nullptr;
    // Most first lines are a few KiB: start small and double up to the full chunk size,
    // rather than copying 64 KiB to find one line feed.
    std::size_t chunk = 8 * 1024;
    bool ended = false;
    while (s.head.size() < headLimit) {
        const std::size_t want = std::min(chunk, headLimit - s.head.size()); // never past the first MiB
        char* dst = s.head.reserveTail(want);
        auto got = file.readAt(s.head.size(), dst, want);
        chunk = std::min(chunk * 2, headChunk);
        if (!got || *got == 0) {
            ended = got.has_value();
            break;
        }
        s.head.commit(*got);
        lf = static_cast<const char*>(std::memchr(s.head.data() + s.head.size() - *got, '\n', *got));
        if (lf) break;
    }
    // A first line still being written is read again later; one beyond the limit never.
    complete = lf || !ended;
    if (!lf) return std::nullopt;

    const char* data = s.head.data();
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

CodexProvider::Line CodexProvider::readLine(Parser& parser, const char* data, std::size_t len) {
    using E = Line::Effect;
    Line out;
    simdjson::dom::element doc;
    if (parser.dom.parse(reinterpret_cast<const uint8_t*>(data), len, false).get(doc)) return out;
    simdjson::dom::object obj, payload;
    std::string_view lineType, payloadType;
    if (doc.get_object().get(obj) || obj["type"].get_string().get(lineType) ||
        obj["payload"].get_object().get(payload))
        return out;
    if (lineType == "turn_context") {
        std::string_view approval;
        out.effect = E::turnContext;
        out.neverAsks = !payload["approval_policy"].get_string().get(approval) && approval == "never";
        return out;
    }
    if (payload["type"].get_string().get(payloadType)) return out;

    if (payloadType == "user_message") {
        std::string_view stamp;
        if (!obj["timestamp"].get_string().get(stamp)) out.prompted = parseTimestamp(stamp);
    }
    if (lineType == "event_msg") {
        if (payloadType == "user_message")
            out.effect = E::userMessage;
        else if (payloadType == "task_complete")
            out.effect = E::taskComplete;
        else if (payloadType == "agent_message")
            out.effect = E::agentMessage;
    } else if (lineType == "response_item") {
        if (payloadType == "function_call" || payloadType == "custom_tool_call" ||
            payloadType == "tool_search_call") {
            out.effect = E::call;
            out.call = pendingCall(payload);
        } else if (payloadType == "web_search_call") {
            out.effect = E::webSearch;
        } else if (payloadType == "function_call_output" || payloadType == "custom_tool_call_output" ||
                   payloadType == "tool_search_output") {
            out.effect = E::output;
        } else if (payloadType == "message") {
            std::string_view role;
            if (!payload["role"].get_string().get(role) && role == "user") out.effect = E::userItem;
        }
    }
    return out;
}

void CodexProvider::apply(Scan& scan, const Line& line) {
    using E = Line::Effect;
    if (line.prompted) {
        scan.promptTimes.push_back(*line.prompted);
        if (scan.promptTimes.size() > maxPromptTimes) scan.promptTimes.erase(scan.promptTimes.begin());
    }
    switch (line.effect) {
    case E::none:
        break;
    case E::userMessage:
        scan.combo = 0;
        scan.pending = 0;
        scan.last = LastEvent::prompt;
        break;
    case E::userItem:
        scan.combo = 0;
        scan.last = LastEvent::prompt;
        break;
    case E::taskComplete:
        scan.last = LastEvent::taskComplete;
        break;
    case E::agentMessage:
        scan.last = LastEvent::agentMessage;
        break;
    case E::call:
        ++scan.combo;
        ++scan.pending;
        scan.last = LastEvent::toolPending;
        scan.call = line.call;
        break;
    case E::webSearch: // counted, but nothing is left to wait for
        ++scan.combo;
        scan.last = scan.pending > 0 ? LastEvent::toolPending : LastEvent::toolsDone;
        break;
    case E::output:
        scan.pending = scan.pending > 0 ? scan.pending - 1 : 0;
        scan.last = scan.pending > 0 ? LastEvent::toolPending : LastEvent::toolsDone;
        break;
    case E::turnContext:
        scan.neverAsks = line.neverAsks;
        break;
    }
}

void CodexProvider::readFirst(OpenFile& file, std::uint64_t size, Rollout& r, Scratch& s) {
    // Lines come latest first, back to the start of the current turn; each is parsed once,
    // its effect kept and applied in file order at the end.
    std::vector<Line> lines;
    auto collect = [&](std::string_view text) {
        if (text.size() <= 2) return false;
        lines.push_back(readLine(*s.parser, text.data(), text.size()));
        return lines.back().effect == Line::Effect::userMessage;
    };
    auto read = readLinesBackward(file, size, tailBytes, Tuning::maxReadBackStep, Tuning::maxReadBackBytes,
                                  s.tail, collect);
    if (!read) throw std::runtime_error("rollout unreadable"); // the next poll starts over
    r.scan = Scan{};
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        apply(r.scan, *line);
    // A last line longer than the reach is skipped: its end will not parse.
    r.consumed = read->found ? read->linesEnd : size;
}

void CodexProvider::read(const std::string& path, const FileAttributes& attrs, Rollout& r, Scratch& s) {
    auto file = files_->open(path);
    if (!file) return; // the next poll tries again; what was read stands
    // The size the listing read a moment ago; bytes appended since wait for the next poll.
    const std::uint64_t size = attrs.size;

    // Shrunk (rewritten), or so far behind that reading all of it is not worth it: start over.
    if (r.initialized && (size < r.size || size - r.consumed > Tuning::maxCatchupBytes)) r = Rollout{};
    if (!r.headRead) r.cwd = readCwd(*file, s, r.headRead);

    if (!r.initialized) {
        readFirst(*file, size, r, s);
    } else {
        s.tail.clear();
        const std::uint64_t want = size - r.consumed;
        auto got = readToEnd(*file, r.consumed, want, s.tail, static_cast<std::size_t>(want));
        if (!got || *got < want) throw std::runtime_error("rollout unreadable");
        const char* p = s.tail.data();
        const char* end = p + *got;
        // Only complete lines: a line still being written is read whole next time.
        while (const char* lf =
                   static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
            const std::size_t len = static_cast<std::size_t>(lf - p);
            if (len > 2) apply(r.scan, readLine(*s.parser, p, len));
            p = lf + 1;
        }
        r.consumed += static_cast<std::uint64_t>(p - s.tail.data());
    }
    r.size = size;
    r.identity = attrs.identity();
    r.initialized = true;
}

std::optional<SessionInfo> CodexProvider::derive(const std::string& path, const FileAttributes& attrs,
                                                 const Rollout& r, Instant now, double delay) {
    if (!r.initialized) return std::nullopt;
    const Scan& scan = r.scan;
    const double idle = secondsBetween(attrs.mtime, now);
    if (scan.last == LastEvent::none) return std::nullopt;
    // Under an approval policy that never asks, a pending call is just running.
    const Activity activity = scan.last == LastEvent::toolPending
                                  ? (scan.neverAsks ? Activity::busy : Activity::toolPending)
                              : scan.last == LastEvent::taskComplete ? Activity::finished
                                                                     : Activity::busy;
    const auto status = statusForAge(activity, idle, delay);
    if (!status) return std::nullopt;

    std::optional<Instant> lastPrompt;
    if (!scan.promptTimes.empty()) lastPrompt = scan.promptTimes.back();
    const double stamina = staminaValue(scan.promptTimes, now);
    std::string project = lastComponentName(r.cwd).value_or("codex");
    auto info = SessionInfo::make(path, std::move(project), std::nullopt, r.cwd, *status, scan.combo,
                                  attrs.mtime, attrs.mtime, lastPrompt, std::nullopt, stamina, Agent::codex);
    if (scan.last == LastEvent::toolPending) info.pendingCall = scan.call;
    return info;
}

} // namespace fray
