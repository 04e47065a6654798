// Gathers the bytes of one SMTP reply, of any number of lines and any length up to a
// bound: lines of three digits followed by "-" go on, the first line of three digits
// followed by a blank (or nothing) ends the reply. CR before LF is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CSmtpReplyReader {
public:
    enum EState { kIncomplete, kComplete, kMalformed, kTooLong };

    // Replies longer than this are refused.
    static constexpr size_t kMaxReplyBytes = 1024 * 1024;

    void Reset();
    // Takes more bytes; bytes after a complete reply are not taken (see Leftover).
    EState Feed(const char* data, size_t length);
    EState GetState() const { return m_state; }

    // The code of the first line (complete replies only; -1 otherwise).
    int GetCode() const { return m_code; }
    // All lines joined by CR LF, without the final line end.
    std::string GetText() const;
    // The text of each line after its code and separator.
    const std::vector<std::string>& GetLines() const { return m_lines; }
    // Bytes that came after the end of the reply.
    size_t Leftover() const { return m_leftover; }
    // Whether the text of some line (after the code), compared without case, begins
    // with the word: an EHLO reply's keywords ("STARTTLS", "AUTH").
    bool HasKeyword(const char* word) const;

private:
    EState TakeLine(const std::string& line);

    EState m_state = kIncomplete;
    std::string m_partial;  // the line being read
    std::vector<std::string> m_raw;    // whole lines, code included
    std::vector<std::string> m_lines;  // texts after the code
    size_t m_total = 0;
    size_t m_leftover = 0;
    int m_code = -1;
};
