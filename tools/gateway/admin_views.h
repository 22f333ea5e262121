// What the console answers, as text from a snapshot (JSON, the Prometheus text format), and who may
// ask: plain functions of their inputs, so that the web server only routes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "admin_feed.h"

namespace vantor::gateway {

// {"time":..., "terminals":[{"id","peer","state","since","forSeconds","connected","screens",
//  "lastActivity","keyboardLocked","tls"}...]}; times as UTC ISO 8601, `now` for the durations.
std::string TerminalsJson(const ConsoleSnapshot& snapshot, WallClock::time_point now);
// One terminal as in the list, with "screen" {"lines","fields","status"} and "records" (the last
// records both ways, decoded as vantor-trace prints them); none when no session has that id.
std::optional<std::string> TerminalJson(const ConsoleSnapshot& snapshot, std::string_view terminalId,
                                        WallClock::time_point now);
// The gateway's figures in the Prometheus text format (version 0.0.4).
std::string MetricsText(const ConsoleSnapshot& snapshot);

// ---- who may read the console ----

enum class Access { Allowed, Unauthorized, Refused };

struct AccessRule {
  std::string token;      // empty: no token, loopback peers only
  std::string cookieKey;  // what the login form's cookie carries once the token was given
};

inline constexpr std::string_view kCookieName = "vantor_console";

bool IsLoopback(std::string_view address);
// Compares in a time that does not depend on where the texts differ.
bool SameSecret(std::string_view given, std::string_view expected);
// remote: the peer's address; authorization and cookie: those headers' values ("" without).
Access Decide(const AccessRule& rule, std::string_view remote, std::string_view authorization, std::string_view cookie);

}  // namespace vantor::gateway
