#pragma once

#include "session/Instant.h"
#include "session/PlanUsage.h"
#include "session/SessionMonitoring.h"

#include <string>
#include <string_view>

// The session list as JSON for scripts (--json) and status bars (--waybar).
namespace fray::JsonOutput {

// A JSON string: quotes, backslashes and every control character escaped, ill-formed
// UTF-8 repaired first.
std::string quoted(std::string_view text);

// {"agent": ..., "project": ..., "branch": ..., "status": ..., "combo": ..., "stamina": ...,
//  "idleSeconds": ..., "pendingCall": {"tool": ..., "summary": ...}, "transcript": ...}
std::string session(const SessionInfo& s, Instant now);
// {"sessions": [...]}, compact on one line or indented.
std::string document(const SessionList& list, Instant now, bool pretty);
// waybar's custom module: text (count and top status), tooltip (a line per session), class
// (the top status) and, when known, percentage (the plan's five-hour usage).
std::string waybar(const SessionList& list, const PlanUsage& plan, Instant now);
// What decides whether a --follow line is new: the output without what moves with the
// clock alone (idle seconds, stamina).
std::string changeKey(const SessionList& list);
// {"error": "..."}
std::string error(std::string_view message);

} // namespace fray::JsonOutput
