// The text forms of an Internet message: line ends, the transfer encodings of a part,
// dot-stuffing, header folding and encoded words, and the checks that keep what a caller
// gives from turning into header lines or SMTP commands.
#pragma once

#include <string>

// Transfer encodings of a part: 0 chosen from the content.
enum EMimeEncoding : int { kMimeAuto = 0, kMime7Bit = 1, kMime8Bit = 2, kMimeQuotedPrintable = 3, kMimeBase64 = 4 };

inline constexpr size_t kMimeLineWidth = 76;
// Header lines are folded before this width where a blank allows it.
inline constexpr size_t kHeaderLineWidth = 78;
// No line of a message is longer (without its CR LF).
inline constexpr size_t kMaxLineLength = 998;

// Every CR LF, lone CR and lone LF becomes CR LF.
std::string NormalizeLineEnds(const std::string& text);
// The encoding for the bytes: base64 when fewer than 90 in 100 are printable (printable:
// 32 to 126, TAB, CR, LF), quoted-printable when a line is longer than 76 characters,
// 8bit when any byte is not printable, else 7bit. An empty text is 7bit.
int ClassifyContent(const std::string& data);
// "=XX" for "=", bytes of 127 and above and controls but TAB; lines at CR LF; long lines
// broken by soft breaks ("=" CR LF) at 76 characters without splitting an escape; a blank
// or TAB ending a line escaped.
std::string EncodeQuotedPrintable(const std::string& text);
// Lines longer than width are broken after the last of " -;.,?!" that fits, else at the
// width; CR LF line ends.
std::string WrapLines(const std::string& text, size_t width);
// A second dot in front of every line that begins with one.
std::string DotStuff(const std::string& text);
// One part's text in the encoding (1 to 4; kMimeAuto chooses); name receives "7bit",
// "8bit", "quoted-printable" or "base64". Line ends are CR LF throughout and every line
// is dot-stuffed. Text encodings stop at the first NUL byte.
std::string EncodeContent(const std::string& data, int encoding, std::string& name);

// The name of the character set for header and body text: "utf-8" for text that is
// valid UTF-8 with bytes above 127, else "iso-8859-1".
const char* TextCharset(const std::string& text);
// A header value of free text: CR and LF become blanks; text with bytes outside 32..126
// or a word too long to fold becomes encoded words (RFC 2047, "B" in the text's
// charset, at most 75 characters each, separated by CR LF blank).
std::string EncodeHeaderText(const std::string& text);
// A display name that may go into a header: no CR, LF or NUL.
bool IsDisplayName(const std::string& name);
// A display name as a quoted string (RFC 5322), whatever it holds, or as encoded words
// (RFC 2047) when it has bytes outside printable ASCII or a word too long to fold.
std::string EncodeDisplayName(const std::string& name);
// "Name: value" CR LF, folded at blanks so that lines stay within 78 characters where
// they can; the value's own CR LF blank/TAB folds are kept. Empty when a line would
// still be longer than 998 characters.
std::string FoldHeaderLine(const std::string& name, const std::string& value);
// A header name: printable characters but ":" and blanks.
bool IsHeaderName(const std::string& name);
// A mailbox address as it may stand in "<...>" and in MAIL FROM and RCPT TO: local part
// "@" domain, printable ASCII without blanks, quotes, brackets, ",", ";" or "\", at most
// 254 characters.
bool IsMailAddress(const std::string& address);
