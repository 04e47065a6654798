#include "alerts/mail/CSmtpReplyReader.h"

#include <cctype>
#include <strings.h>

void CSmtpReplyReader::Reset()
{
    *this = CSmtpReplyReader();
}

CSmtpReplyReader::EState CSmtpReplyReader::TakeLine(const std::string& line)
{
    if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1])) || !std::isdigit(static_cast<unsigned char>(line[2])))
        return kMalformed;
    if (line.size() > 3 && line[3] != '-' && line[3] != ' ')
        return kMalformed;
    const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (m_raw.empty())
        m_code = code;
    m_raw.push_back(line);
    m_lines.push_back(line.size() > 4 ? line.substr(4) : std::string());
    const bool more = line.size() > 3 && line[3] == '-';
    return more ? kIncomplete : kComplete;
}

CSmtpReplyReader::EState CSmtpReplyReader::Feed(const char* data, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (m_state != kIncomplete) {
            m_leftover += length - i;
            break;
        }
        if (++m_total > kMaxReplyBytes) {
            m_state = kTooLong;
            m_code = -1;
            break;
        }
        const char c = data[i];
        if (c != '\n') {
            m_partial += c;
            continue;
        }
        if (!m_partial.empty() && m_partial.back() == '\r')
            m_partial.pop_back();
        m_state = TakeLine(m_partial);
        m_partial.clear();
    }
    if (m_state != kComplete && m_state != kIncomplete)
        m_code = -1;
    return m_state;
}

std::string CSmtpReplyReader::GetText() const
{
    std::string text;
    for (const std::string& line : m_raw) {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

bool CSmtpReplyReader::HasKeyword(const char* word) const
{
    const size_t length = std::char_traits<char>::length(word);
    for (const std::string& line : m_lines) {
        if (line.size() >= length && strncasecmp(line.c_str(), word, length) == 0 &&
            (line.size() == length || line[length] == ' ' || line[length] == '='))
            return true;
    }
    return false;
}
