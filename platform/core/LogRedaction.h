// Takes secrets out of a text before it is logged: session ids, stream tokens, history
// keys and passwords, wherever they stand in it.
#pragma once

#include <string>
#include <string_view>

// What replaces a secret value.
inline constexpr const char* kRedacted = "***";

// The text with the value of every secret replaced by kRedacted:
// - query, form and request-line pairs "NAME=value" (after the start, "?", "&", "|", ";",
//   "," or white space; quoted values to their closing quote) whose name is password,
//   passwd, pwd, token, k, key, sessionid or the session cookie's name;
// - the content of the XML elements SessionId, Token, Key and Password (to the next "<");
// - the value of the header lines Cookie, Set-Cookie and Authorization (to the line end).
// Names are compared without regard to case. Everything else stays as it was.
std::string RedactSecrets(std::string_view text);
