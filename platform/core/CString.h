// Byte string with the familiar workstation interface, backed by std::string.
#pragma once

#include "platform/core/WinTypes.h"

#include <compare>
#include <concepts>
#include <cstdarg>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_str(text ? text : "") {}
    CString(const char* text, int length);
    CString(std::string_view text) : m_str(text) {}
    CString(const std::string& text) : m_str(text) {}
    CString(std::string&& text) : m_str(std::move(text)) {}
    explicit CString(char ch, int repeat = 1);

    CString& operator=(const char* text);
    CString& operator=(std::string_view text);
    CString& operator=(const std::string& text);
    CString& operator=(char ch);

    // Access
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    template <std::integral I>
    char operator[](I index) const { return GetAt(static_cast<int>(index)); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    std::string_view view() const { return m_str; }

    // Raw buffer: write at most minLength characters, then ReleaseBuffer.
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);
    void FreeExtra() { m_str.shrink_to_fit(); }

    // Formatting (printf codes). CString and std::string arguments are passed as text.
    template <typename... Args>
    void Format(const char* format, const Args&... args)
    {
        m_str.clear();
        AppendFormatRaw(format, PassArg(args)...);
    }
    template <typename... Args>
    void AppendFormat(const char* format, const Args&... args)
    {
        AppendFormatRaw(format, PassArg(args)...);
    }
    void FormatV(const char* format, va_list args);
    void AppendFormatV(const char* format, va_list args);

    // Searching: positions are 0-based, -1 when absent.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* chars) const;

    // Extraction (out-of-range arguments are clamped).
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const char* chars) const;
    CString SpanExcluding(const char* chars) const;
    // Next token after start, skipping leading delimiters; start becomes -1 at the end.
    CString Tokenize(const char* delimiters, int& start) const;

    // Modification
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(const char* chars);
    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(const char* chars);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(const char* chars);
    int Replace(char oldCh, char newCh);
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    // Comparison
    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;

    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    CString& operator+=(std::string_view text);

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b)
    {
        return a.m_str.compare(b.m_str) <=> 0;
    }
    friend std::strong_ordering operator<=>(const CString& a, const char* b)
    {
        return a.m_str.compare(b ? b : "") <=> 0;
    }

private:
    static const char* PassArg(const CString& s) { return s.GetString(); }
    static const char* PassArg(const std::string& s) { return s.c_str(); }
    // Integers travel as 64-bit values, so that "%d" and "%ld" both read a 32-bit
    // argument correctly (each takes the low bits of its 8-byte argument slot).
    template <typename T>
    static auto PassArg(const T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>, "only plain values can be formatted");
        static_assert(!std::is_same_v<T, std::string_view>, "format a terminated string, not a view");
        if constexpr (std::is_enum_v<T>) {
            return PassArg(static_cast<std::underlying_type_t<T>>(value));
        } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
            return static_cast<long long>(value);
        } else if constexpr (std::is_integral_v<T>) {
            return static_cast<unsigned long long>(value);
        } else if constexpr (std::is_array_v<T>) {
            return static_cast<const std::remove_extent_t<T>*>(value);
        } else {
            return value;
        }
    }
    void AppendFormatRaw(const char* format, ...);

    std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);
std::ostream& operator<<(std::ostream& out, const CString& s);

template <>
struct std::hash<CString> {
    size_t operator()(const CString& s) const noexcept { return std::hash<std::string>{}(s.str()); }
};
