#include "platform/core/CString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace {
constexpr const char* kBlanks = " \t\r\n\v\f";

int clampIndex(int value, int limit)
{
    return std::clamp(value, 0, limit);
}

int lowerChar(char c)
{
    return std::tolower(static_cast<unsigned char>(c));
}
}  // namespace

CString::CString(const char* text, int length)
{
    if (text && length > 0)
        m_str.assign(text, strnlen(text, static_cast<size_t>(length)));
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        m_str.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(const char* text)
{
    m_str = text ? text : "";
    return *this;
}

CString& CString::operator=(std::string_view text)
{
    m_str = text;
    return *this;
}

CString& CString::operator=(const std::string& text)
{
    m_str = text;
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

char CString::GetAt(int index) const
{
    ASSERT(index >= 0 && index < GetLength());
    return m_str[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    ASSERT(index >= 0 && index < GetLength());
    m_str[static_cast<size_t>(index)] = ch;
}

char* CString::GetBuffer(int minLength)
{
    const size_t wanted = static_cast<size_t>(std::max(minLength, 0));
    if (m_str.size() < wanted)
        m_str.resize(wanted, '\0');
    return m_str.data();
}

char* CString::GetBufferSetLength(int length)
{
    m_str.resize(static_cast<size_t>(std::max(length, 0)), '\0');
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        m_str.resize(strnlen(m_str.data(), m_str.size()));
    else
        m_str.resize(std::min(static_cast<size_t>(newLength), m_str.size()));
}

void CString::AppendFormatRaw(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    m_str.clear();
    AppendFormatV(format, args);
}

void CString::AppendFormatV(const char* format, va_list args)
{
    if (!format)
        return;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0)
        return;
    if (static_cast<size_t>(needed) < sizeof small) {
        m_str.append(small, static_cast<size_t>(needed));
        return;
    }
    const size_t old = m_str.size();
    m_str.resize(old + static_cast<size_t>(needed) + 1);
    std::vsnprintf(m_str.data() + old, static_cast<size_t>(needed) + 1, format, args);
    m_str.resize(old + static_cast<size_t>(needed));
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    const auto pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    const auto pos = m_str.find(sub, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    const auto pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(const char* chars) const
{
    if (!chars)
        return -1;
    const auto pos = m_str.find_first_of(chars);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    first = clampIndex(first, GetLength());
    count = clampIndex(count, GetLength() - first);
    return CString(std::string_view(m_str).substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = clampIndex(count, GetLength());
    return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(const char* chars) const
{
    const auto pos = m_str.find_first_not_of(chars ? chars : "");
    return pos == std::string::npos ? *this : Left(static_cast<int>(pos));
}

CString CString::SpanExcluding(const char* chars) const
{
    const auto pos = m_str.find_first_of(chars ? chars : "");
    return pos == std::string::npos ? *this : Left(static_cast<int>(pos));
}

CString CString::Tokenize(const char* delimiters, int& start) const
{
    const char* delims = delimiters ? delimiters : "";
    if (start < 0 || start >= GetLength()) {
        start = -1;
        return CString();
    }
    const auto begin = m_str.find_first_not_of(delims, static_cast<size_t>(start));
    if (begin == std::string::npos) {
        start = -1;
        return CString();
    }
    auto end = m_str.find_first_of(delims, begin);
    if (end == std::string::npos)
        end = m_str.size();
    start = static_cast<int>(std::min(end + 1, m_str.size()));
    return CString(std::string_view(m_str).substr(begin, end - begin));
}

CString& CString::MakeUpper()
{
    for (char& c : m_str)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_str)
        c = static_cast<char>(lowerChar(c));
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char ch)
{
    return TrimRight(ch).TrimLeft(ch);
}

CString& CString::Trim(const char* chars)
{
    return TrimRight(chars).TrimLeft(chars);
}

CString& CString::TrimLeft()
{
    return TrimLeft(kBlanks);
}

CString& CString::TrimLeft(char ch)
{
    const char set[2] = {ch, '\0'};
    return TrimLeft(set);
}

CString& CString::TrimLeft(const char* chars)
{
    const auto pos = m_str.find_first_not_of(chars ? chars : "");
    m_str.erase(0, pos == std::string::npos ? m_str.size() : pos);
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(kBlanks);
}

CString& CString::TrimRight(char ch)
{
    const char set[2] = {ch, '\0'};
    return TrimRight(set);
}

CString& CString::TrimRight(const char* chars)
{
    const auto pos = m_str.find_last_not_of(chars ? chars : "");
    m_str.erase(pos == std::string::npos ? 0 : pos + 1);
    return *this;
}

int CString::Replace(char oldCh, char newCh)
{
    int count = 0;
    for (char& c : m_str) {
        if (c == oldCh) {
            c = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* oldText, const char* newText)
{
    if (!oldText || !*oldText)
        return 0;
    const std::string_view from(oldText);
    const std::string_view to(newText ? newText : "");
    std::string out;
    int count = 0;
    size_t pos = 0;
    while (true) {
        const auto hit = m_str.find(from, pos);
        if (hit == std::string::npos)
            break;
        out.append(m_str, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
        ++count;
    }
    if (count) {
        out.append(m_str, pos, std::string::npos);
        m_str = std::move(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    const auto before = m_str.size();
    std::erase(m_str, ch);
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int index, char ch)
{
    m_str.insert(static_cast<size_t>(clampIndex(index, GetLength())), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    if (text)
        m_str.insert(static_cast<size_t>(clampIndex(index, GetLength())), text);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0)
        m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

int CString::Compare(const char* other) const
{
    const int r = m_str.compare(other ? other : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* other) const
{
    const char* a = m_str.c_str();
    const char* b = other ? other : "";
    for (;; ++a, ++b) {
        const int ca = lowerChar(*a);
        const int cb = lowerChar(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

CString& CString::operator+=(const CString& other)
{
    m_str += other.m_str;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text)
        m_str += text;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

CString& CString::operator+=(std::string_view text)
{
    m_str += text;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

std::ostream& operator<<(std::ostream& out, const CString& s)
{
    return out << s.str();
}
