#include "SessionMonitor.h"

#include "io/BackwardRead.h"
#include "io/RepeatingWorker.h"
#include "io/TwoThreads.h"
#include "session/PathText.h"
#include "session/SessionRules.h"
#include "session/Timestamp.h"
#include "session/Tuning.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace fray {

namespace {

bool isTranscriptName(std::string_view name) {
    constexpr std::string_view ext = ".jsonl", subAgent = "agent-";
    return name.size() > ext.size() && name.substr(name.size() - ext.size()) == ext &&
           name.substr(0, subAgent.size()) != subAgent;
}

// Urgency first; among sessions waiting for the user the one waiting longest leads,
// otherwise the most recently active.
bool before(const SessionInfo& a, const SessionInfo& b) {
    if (a.status != b.status) return a.status > b.status;
    if (a.status == SessionStatus::needsAction) return a.stateSince < b.stateSince;
    return a.lastActivity > b.lastActivity;
}

const char* findLineFeed(const char* from, const char* end) {
    return static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
}

// The read buffer may grow for a big catch-up; this much is kept between ticks.
constexpr std::size_t keepBuffer = 512 * 1024;
constexpr std::size_t keepFacts = 4096;

} // namespace

SessionMonitor::SessionMonitor(Config config)
    : config_(std::move(config)), projectsRoot_(PathText::join(config_.home, ".claude/projects")), reader_() {
    if (!config_.clock) config_.clock = wallNow;
    if (!config_.files) config_.files = posixFileAccess();
}

SessionMonitor::Reader::Reader()
    : classifier(std::make_unique<LineClassifier>()), buffer(LineClassifier::padding()) {}

SessionMonitor::~SessionMonitor() {
    if (worker_) worker_->stop();
}

void SessionMonitor::start() {
    if (!worker_)
        worker_ = std::make_unique<RepeatingWorker>("fray.monitor",
                                                    std::chrono::duration_cast<RepeatingWorker::Duration>(
                                                        std::chrono::duration<double>(Tuning::tick)),
                                                    [this] { tick(); });
    worker_->start();
}

SessionList SessionMonitor::tickNow() {
    return tick();
}

double SessionMonitor::currentDelay() {
    std::optional<double> stored;
    if (config_.needsActionDelay) {
        try {
            stored = config_.needsActionDelay();
        } catch (...) {
            stored.reset();
        }
    }
    return Tuning::needsActionDelayFrom(stored);
}

SessionList SessionMonitor::tick() {
    SessionList sessions;
    {
        std::lock_guard lock(tickMutex_);
        const Instant now = config_.clock();
        labelsThisTick_.clear();
        if (tickCount_ % Tuning::rescanEvery == 0) {
            ++labelGeneration_;
            try {
                rescan(now);
            } catch (...) {
                // Out of memory while listing: keep the previous candidates.
            }
        }
        ++tickCount_;
        const double delay = currentDelay();

        std::vector<std::string> drop;
        std::vector<std::pair<const std::string*, Watched*>> live;
        std::vector<ReadJob> jobs;
        for (const std::string& path : candidates_) {
            try {
                // Taken by this tick's rescan a moment ago, or read now.
                auto listed = listed_.find(path);
                auto attrs =
                    listed != listed_.end() ? std::optional(listed->second) : config_.files->attributes(path);
                auto it = states_.find(path);
                // A modification time in the future (clock skew, a restored backup) counts as
                // the moment it was first seen, so that the file still ages and leaves.
                Instant mtime = attrs ? attrs->mtime : now;
                if (mtime > now) {
                    const bool seen =
                        it != states_.end() && it->second.future && it->second.future->first == mtime;
                    mtime = seen ? it->second.future->second : now;
                }
                if (!attrs || attrs->kind != EntryKind::file ||
                    secondsBetween(mtime, now) > Tuning::candidateWindow) {
                    drop.push_back(path);
                    continue;
                }
                if (it == states_.end()) {
                    it = states_.try_emplace(path, now).first;
                    it->second.state.created = std::min(attrs->created.value_or(now), now);
                    it->second.state.lastActivity = mtime; // until a read says more
                }
                Watched& w = it->second;
                FileState& st = w.state;
                if (w.identity && *w.identity != attrs->identity()) {
                    // Replaced, perhaps by a larger file: the old offset means nothing in it.
                    st.softReset();
                    w.spillFrom.reset();
                }
                w.identity = attrs->identity();
                w.future = attrs->mtime > now ? std::optional(std::pair(attrs->mtime, mtime)) : std::nullopt;
                st.mtime = mtime;
                if (!st.initialized || attrs->size != st.size) jobs.push_back({&path, &w, attrs->size});
                live.emplace_back(&path, &w);
            } catch (...) {
                // This file contributes nothing this tick; its state is tried again next time.
            }
        }
        readAll(jobs, now);
        std::unordered_set<const Watched*> failed;
        for (const ReadJob& job : jobs)
            if (job.failed) failed.insert(job.watched);

        for (auto [path, w] : live) {
            try {
                if (failed.count(w)) continue;
                FileState& st = w->state;
                auto status = st.derive(now, delay);
                if (!status) continue;
                sessions.push_back(SessionInfo::make(*path, labelFor(*path, *w), st.branch, st.cwd, *status,
                                                     st.combo, st.stateSince, st.lastActivity,
                                                     st.lastPromptAt(), st.powerUpAt,
                                                     staminaValue(st.promptTimes, now), Agent::claude));
                if (st.lastKind == LineKind::assistantToolUse) sessions.back().pendingCall = st.pendingCall;
            } catch (...) {
                // As above: nothing from this file this tick.
            }
        }
        for (const auto& path : drop) {
            candidates_.erase(path);
            states_.erase(path);
        }
        for (Reader* r : {&reader_, helperReader_.get()}) {
            if (!r) continue;
            r->buffer.clear();
            r->buffer.shrinkTo(keepBuffer);
            if (r->facts.capacity() > keepFacts) std::vector<LineFacts>().swap(r->facts);
        }
        labelsThisTick_.clear();
        listed_.clear();

        if (tickCount_ % 3 == 1 || otherSessions_.empty()) pollOtherAgents(now, delay);
        sessions.insert(sessions.end(), otherSessions_.begin(), otherSessions_.end());
        std::stable_sort(sessions.begin(), sessions.end(), before);
    }
    if (onUpdate) onUpdate(sessions);
    return sessions;
}

const std::string& SessionMonitor::labelFor(const std::string& path, Watched& w) {
    const FileState& st = w.state;
    if (w.labelGeneration == labelGeneration_ && w.labelCwd == st.cwd) return w.label;
    if (st.cwd && !st.cwd->empty() && *st.cwd != "/") {
        auto [it, fresh] = labelsThisTick_.try_emplace(*st.cwd);
        if (fresh)
            it->second = st.projectLabel(path, *config_.files); // depends on the working directory alone
        w.label = it->second;
    } else {
        w.label = st.projectLabel(path, *config_.files); // from the path: no disk lookups
    }
    w.labelCwd = st.cwd;
    w.labelGeneration = labelGeneration_;
    return w.label;
}

void SessionMonitor::pollOtherAgents(Instant now, double delay) {
    if (!otherAgents_) {
        try {
            otherAgents_ = config_.providers ? config_.providers() : ProviderList{};
        } catch (...) {
            otherAgents_.reset(); // asked again at the next poll
        }
    }
    SessionList fresh;
    if (otherAgents_) {
        for (const auto& provider : *otherAgents_) {
            if (!provider) continue;
            try {
                auto found = provider->poll(now, delay);
                fresh.insert(fresh.end(), std::make_move_iterator(found.begin()),
                             std::make_move_iterator(found.end()));
            } catch (...) {
                // A provider that fails yields nothing this time.
            }
        }
    }
    otherSessions_ = std::move(fresh);
}

void SessionMonitor::rescan(Instant now) {
    auto projects = config_.files->list(projectsRoot_, false);
    if (!projects) {
        candidates_.clear();
        states_.clear();
        return;
    }
    std::set<std::string> fresh;
    listed_.clear();
    for (const auto& project : *projects) {
        if (project.kind != EntryKind::directory) continue;
        const std::string dir = PathText::join(projectsRoot_, project.name);
        auto files = config_.files->list(dir, true);
        if (!files) continue;
        for (const auto& f : *files) {
            if (f.kind != EntryKind::file || !isTranscriptName(f.name) || !f.attributes) continue;
            if (secondsBetween(f.attributes->mtime, now) > Tuning::candidateWindow) continue;
            auto path = PathText::join(dir, f.name);
            listed_.emplace(path, *f.attributes);
            fresh.insert(std::move(path));
        }
    }
    candidates_ = std::move(fresh);
    std::erase_if(states_, [&](const auto& entry) { return !candidates_.contains(entry.first); });
}

void SessionMonitor::readAll(std::vector<ReadJob>& jobs, Instant now) {
    std::uint64_t backlog = 0;
    for (const ReadJob& j : jobs) {
        const FileState& st = j.watched->state;
        backlog += !st.initialized    ? std::min<std::uint64_t>(j.size, Tuning::initialTailBytes)
                   : j.size > st.size ? std::min<std::uint64_t>(j.size - st.size, Tuning::maxCatchupBytes)
                                      : Tuning::initialTailBytes;
    }
    // Files are independent: each job touches only its own state, so two threads may share
    // the list. The tick as a whole still ends before the next one begins.
    bool parallel = backlog >= parallelReadBytes && jobs.size() >= 2;
    try {
        if (parallel && !helperReader_) helperReader_ = std::make_unique<Reader>();
    } catch (...) {
        parallel = false;
    }
    forEachOnTwoThreads(jobs.size(), parallel, "fray.read", [&](std::size_t i, int worker) {
        try {
            readNewBytes(*jobs[i].path, *jobs[i].watched, jobs[i].size, now,
                         worker ? *helperReader_ : reader_);
        } catch (...) {
            jobs[i].failed = true;
        }
    });
}

void SessionMonitor::readNewBytes(const std::string& path, Watched& w, std::uint64_t size, Instant now,
                                  Reader& r) {
    FileState& st = w.state;
    if (st.size > size) { // truncated or replaced
        st.softReset();
        w.spillFrom.reset();
    }
    auto file = config_.files->open(path);
    if (!file) return; // derivation still runs on what is known

    if (!st.initialized) {
        readFirst(*file, w, size, now, r);
        return;
    }

    enum class Front { whole, dropPartial, cutPartial };
    const std::uint64_t tail = Tuning::initialTailBytes;
    std::uint64_t readFrom;
    Front front = Front::whole;
    bool carry = false;
    if (size - st.size <= Tuning::maxCatchupBytes) {
        if (!w.spillFrom) {
            readFrom = st.size;
            carry = true;
        } else if (size - *w.spillFrom > leftoverCap) {
            readFrom = size - leftoverKeep; // the partial line outgrew the cap: keep its end only
            front = Front::cutPartial;
        } else {
            readFrom = *w.spillFrom; // the long partial line is read again with its continuation
        }
    } else {
        readFrom = size - tail; // too far behind: jump to the tail
        front = Front::dropPartial;
    }

    ReadBuffer& buffer = r.buffer;
    buffer.clear();
    if (carry) buffer.append(st.leftover.data(), st.leftover.size());
    const std::uint64_t reread = st.size > readFrom ? st.size - readFrom : 0;
    const std::uint64_t expected = size > readFrom ? size - readFrom : 0;
    // Bounded even when the file grows faster than it is read; the rest waits for the next tick.
    auto got = readToEnd(*file, readFrom, reread + Tuning::maxCatchupBytes, buffer,
                         static_cast<std::size_t>(expected));
    file.reset();
    // A read error, or a file that shrank below what was already consumed: leave the state
    // as it was; the next tick sees the new size and starts over.
    if (!got || readFrom + *got < st.size) return;

    st.size = readFrom + *got;
    st.leftover.clear();
    w.spillFrom.reset();

    const char* begin = buffer.data();
    const char* end = begin + buffer.size();
    const char* from = begin;
    if (front != Front::whole) {
        const char* lf = findLineFeed(from, end);
        if (lf)
            from = lf + 1;
        else if (front == Front::dropPartial)
            from = end;
    }
    if (static_cast<std::size_t>(end - from) > leftoverCap) {
        from = end - leftoverKeep;
        if (const char* lf = findLineFeed(from, end)) from = lf + 1;
    }
    // Bookkeeping records alone (a summary appended to a finished transcript) are no sign
    // of life: the session's activity time stays where it was.
    if (process(static_cast<std::size_t>(from - begin), w, now, r)) st.lastActivity = st.mtime;
}

void SessionMonitor::readFirst(OpenFile& file, Watched& w, std::uint64_t size, Instant now, Reader& r) {
    FileState& st = w.state;
    // Lines come latest first, back to the one that opens the current turn; their facts
    // are kept and applied in file order at the end. Of the envelope, the latest counts.
    std::vector<LineFacts>& facts = r.facts;
    facts.clear();
    std::string cwd, branch, permissionMode;
    std::string activityStamp; // of the latest line that held activity
    LineFacts f;
    auto collect = [&](std::string_view line) {
        if (line.size() < 2) return false;
        r.classifier->readPadded(line, f);
        // The envelope's views die with the next line.
        if (cwd.empty() && !f.cwd.empty()) cwd = f.cwd;
        if (branch.empty() && !f.branch.empty() && f.branch != "HEAD") branch = f.branch;
        if (permissionMode.empty() && !f.permissionMode.empty()) permissionMode = f.permissionMode;
        if (activityStamp.empty() && f.activity && !f.timestamp.empty()) activityStamp = f.timestamp;
        f.cwd = f.branch = f.permissionMode = f.timestamp = {};
        facts.push_back(f);
        if (line.size() > Tuning::maxRetainedParserLine) r.classifier = std::make_unique<LineClassifier>();
        return f.startsTurn();
    };
    // The tail, and further back only while it holds no start of the turn, or when it lies
    // inside one long line.
    auto read = readLinesBackward(file, size, Tuning::initialTailBytes, Tuning::maxReadBackStep,
                                  Tuning::maxReadBackBytes, r.buffer, collect);
    if (!read) return; // tried again on the next tick

    std::string leftover;
    std::optional<std::uint64_t> spill;
    if (read->found && size - read->linesEnd <= maxLeftoverInMemory) {
        leftover.resize(static_cast<std::size_t>(size - read->linesEnd));
        auto got = leftover.empty() ? std::optional<std::size_t>(0)
                                    : file.readAt(read->linesEnd, leftover.data(), leftover.size());
        if (!got || *got != leftover.size()) return;
    } else if (read->found) {
        spill = read->linesEnd; // read again once its line feed has arrived
    }

    struct BootstrapScope {
        FileState& st;
        ~BootstrapScope() { st.bootstrapping = false; }
    } scope{st};
    st.bootstrapping = true;
    st.initialized = true;
    st.size = size;
    st.leftover = std::move(leftover);
    w.spillFrom = spill;
    for (auto line = facts.rbegin(); line != facts.rend(); ++line)
        applyLine(*line, st, now);
    LineFacts envelope;
    envelope.cwd = cwd;
    envelope.branch = branch;
    envelope.permissionMode = permissionMode;
    applyLine(envelope, st, now);

    // A transcript that ends in bookkeeping records was last active when its latest
    // other record was written, not when the file was last touched.
    st.lastActivity = st.mtime;
    if (!facts.empty() && !facts.front().activity && st.leftover.empty() && !spill)
        if (auto t = parseTimestamp(activityStamp); t && *t < st.mtime) st.lastActivity = *t;
}

bool SessionMonitor::process(std::size_t from, Watched& w, Instant now, Reader& r) {
    FileState& st = w.state;
    const char* p = r.buffer.data() + from;
    const char* end = r.buffer.data() + r.buffer.size();
    bool activity = false;
    LineFacts f;
    while (const char* lf = findLineFeed(p, end)) {
        const std::size_t len = static_cast<std::size_t>(lf - p);
        // The buffer's own padding lies past every line, so the parser reads in place.
        if (len >= 2) {
            r.classifier->readPadded(std::string_view(p, len), f);
            applyLine(f, st, now);
            activity = activity || f.activity;
            if (len > Tuning::maxRetainedParserLine) r.classifier = std::make_unique<LineClassifier>();
        }
        p = lf + 1;
    }
    const std::size_t rest = static_cast<std::size_t>(end - p);
    if (rest <= maxLeftoverInMemory)
        st.leftover.assign(p, rest);
    else
        w.spillFrom = st.size - rest;
    return activity || rest > 0; // a line still being written counts too
}

SessionMonitor::Stats SessionMonitor::stats() {
    std::lock_guard lock(tickMutex_);
    Stats s;
    s.candidates = candidates_.size();
    s.states = states_.size();
    for (const auto& [path, w] : states_) {
        s.leftoverBytes += w.state.leftover.size();
        if (w.spillFrom) ++s.spilledLines;
    }
    s.bufferCapacity = reader_.buffer.capacity() + (helperReader_ ? helperReader_->buffer.capacity() : 0);
    return s;
}

} // namespace fray
