// The classifier's two entry points agree: a line copied into a padded buffer of its own
// (parseLine), and a line read in place with the following lines as its padding (as the
// monitor reads its buffer) and applied afterwards (as a first read applies them). Two
// classifiers, so that a parser's reuse cannot hide a difference.
#include "FuzzCheck.h"
#include "io/ReadBuffer.h"
#include "monitor/LineClassifier.h"

#include <cstring>
#include <tuple>

using namespace fray;

namespace {

auto snapshot(const FileState& s) {
    return std::make_tuple(s.cwd, s.branch, s.lastKind, s.seenAssistant, s.combo, s.lastPromptHash,
                           s.promptTimes, s.powerUpAt, s.neverAsks, s.callsAskUser, s.callsInBackground,
                           s.turnEnded, s.turnPromptHash);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static LineClassifier copied, inPlace;
    const Instant now = fromUnixSeconds(1767225600.0);
    FileState a(now), b(now);
    // The first byte chooses a first read (no power-ups) or live lines.
    a.bootstrapping = b.bootstrapping = size > 0 && (data[0] & 1);
    ReadBuffer buffer(LineClassifier::padding());
    buffer.append(reinterpret_cast<const char*>(data), size);
    const char* p = buffer.data();
    const char* end = p + buffer.size();
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const std::string_view line(p, static_cast<std::size_t>((lf ? lf : end) - p));
        copied.parseLine(line, a, now);
        LineFacts facts;
        inPlace.readPadded(line, facts);
        applyLine(facts, b, now);
        FUZZ_CHECK(snapshot(a) == snapshot(b));
        FUZZ_CHECK(a.combo >= 0 && a.promptTimes.size() <= FileState::maxPromptTimes);
        p = lf ? lf + 1 : end;
    }
    return 0;
}
