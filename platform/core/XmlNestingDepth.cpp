// How deep the XML parser (TinyXML) recurses on a text, found without recursion.
//
// The parser recurses once for every element whose start tag it has read. This
// walk follows the parser's own rules for tags, attributes, comments, CDATA,
// declarations and other "<...>" nodes, step for step, as long as the text keeps
// to plain XML: quoted attribute values, ASCII white space, standard
// declarations. Where the text leaves that form (or where the parser would take
// one of its lenient paths), the walk stops following and counts every element
// start that is left as one more level: the parser may reach less, never more.
// Past a point where the parser stops with an error the walk may go on, which
// again can only report more than the parser reaches.
#include "platform/core/XmlHelpers.h"

#include <algorithm>
#include <vector>

namespace {

bool IsSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The parser's letters: ASCII letters and every byte from 127 up.
bool IsLetter(unsigned char c)
{
    return c >= 127 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameStart(unsigned char c)
{
    return IsLetter(c) || c == '_';
}

bool IsNameChar(unsigned char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

// Characters a declaration's values may hold here ("1.0", "UTF-8", "yes").
bool IsPlainValueChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_' || c == ':';
}

class NestingWalk {
public:
    // The parser reads a terminated string: nothing after a NUL counts.
    NestingWalk(std::string_view text, int stopAbove) : m_text(text.substr(0, text.find('\0'))), m_stop(stopAbove)
    {
    }

    int Run()
    {
        size_t p = 0;
        while (m_max <= m_stop) {
            if (m_names.empty()) {
                // Outside every element the parser reads nodes only: text ends it.
                // Bytes it may take for white space (marks, other encodings) are passed over.
                while (p < Size() && (IsSpace(At(p)) || At(p) >= 0x80))
                    ++p;
                if (p >= Size() || At(p) != '<')
                    break;
            } else {
                // Text up to the next tag.
                while (p < Size() && At(p) != '<')
                    ++p;
                if (p >= Size())
                    break;
            }
            const size_t start = p;
            if (!Node(p))
                return Beyond(start);
            if (p == npos)
                break;
        }
        return m_max;
    }

private:
    static constexpr size_t npos = std::string_view::npos;

    size_t Size() const { return m_text.size(); }
    unsigned char At(size_t i) const { return static_cast<unsigned char>(m_text[i]); }
    bool StartsWith(size_t p, std::string_view s, bool anyCase = false) const
    {
        if (Size() - p < s.size())
            return false;
        for (size_t i = 0; i < s.size(); ++i) {
            unsigned char a = At(p + i);
            unsigned char b = static_cast<unsigned char>(s[i]);
            if (anyCase) {
                a = static_cast<unsigned char>(a >= 'A' && a <= 'Z' ? a + 32 : a);
                b = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            }
            if (a != b)
                return false;
        }
        return true;
    }
    // Position right after the first `end` from p, or npos when there is none.
    size_t After(size_t p, std::string_view end) const
    {
        const size_t at = m_text.find(end, p);
        return at == npos ? npos : at + end.size();
    }
    void SkipSpace(size_t& p) const
    {
        while (p < Size() && IsSpace(At(p)))
            ++p;
    }
    bool Name(size_t& p) const
    {
        if (p >= Size() || !IsNameStart(At(p)))
            return false;
        while (p < Size() && IsNameChar(At(p)))
            ++p;
        return true;
    }

    // One node at the '<' at p; p moves behind it (npos: the text ends inside it,
    // so the parser stops there). False when the node leaves plain XML.
    bool Node(size_t& p)
    {
        if (StartsWith(p, "<?xml", true))
            return Declaration(p);
        if (StartsWith(p, "<!--")) {
            p = After(p + 4, "-->");
            return true;
        }
        if (StartsWith(p, "<![CDATA[")) {
            p = After(p + 9, "]]>");
            return true;
        }
        if (StartsWith(p, "</") && !m_names.empty())
            return EndTag(p);
        if (p + 1 < Size() && IsNameStart(At(p + 1)))
            return StartTag(p);
        // "<!...>", "<?...>", a stray end tag outside every element, "<" and
        // anything else: the parser reads up to the next '>'.
        p = After(p + 1, ">");
        return true;
    }

    // <?xml name="plain" ... ?>: the parser ends it at the first '>'.
    bool Declaration(size_t& p)
    {
        size_t q = p + 5;
        for (;;) {
            const size_t before = q;
            SkipSpace(q);
            if (q < Size() && At(q) == '?')
                break;
            if (q == before || !Name(q))
                return false;
            SkipSpace(q);
            if (q >= Size() || At(q) != '=')
                return false;
            ++q;
            SkipSpace(q);
            if (q >= Size() || (At(q) != '"' && At(q) != '\''))
                return false;
            const unsigned char quote = At(q++);
            while (q < Size() && IsPlainValueChar(At(q)))
                ++q;
            if (q >= Size() || At(q) != quote)
                return false;
            ++q;
        }
        if (q + 1 >= Size() || At(q + 1) != '>')
            return false;
        p = q + 2;
        return true;
    }

    bool StartTag(size_t& p)
    {
        // The parser enters the element as soon as it sees its start, whatever follows.
        m_max = std::max(m_max, static_cast<int>(m_names.size()) + 1);
        size_t q = p + 1;
        const size_t nameStart = q;
        Name(q);
        const std::string_view name = m_text.substr(nameStart, q - nameStart);
        for (;;) {
            SkipSpace(q);
            if (q >= Size()) {
                p = npos;
                return true;
            }
            if (At(q) == '/') {
                if (q + 1 >= Size() || At(q + 1) != '>')
                    return false;
                p = q + 2;
                return true;
            }
            if (At(q) == '>') {
                m_names.push_back(name);
                m_max = std::max(m_max, static_cast<int>(m_names.size()));
                p = q + 1;
                return true;
            }
            if (!Name(q))
                return false;
            SkipSpace(q);
            if (q >= Size() || At(q) != '=')
                return false;
            ++q;
            SkipSpace(q);
            if (q >= Size() || (At(q) != '"' && At(q) != '\''))
                return false;
            const char quote = m_text[q];
            const size_t close = m_text.find(quote, q + 1);
            if (close == npos) {
                p = npos;
                return true;
            }
            q = close + 1;
        }
    }

    // </name> closing the innermost element.
    bool EndTag(size_t& p)
    {
        size_t q = p + 2;
        if (!StartsWith(q, m_names.back()))
            return false;
        q += m_names.back().size();
        SkipSpace(q);
        if (q >= Size() || At(q) != '>')
            return false;
        m_names.pop_back();
        p = q + 1;
        return true;
    }

    // From a node the walk cannot follow: every element start from there on may
    // be one more level.
    int Beyond(size_t from) const
    {
        int depth = static_cast<int>(m_names.size());
        for (size_t p = from; p + 1 < Size() && depth <= m_stop; ++p)
            if (At(p) == '<' && IsNameStart(At(p + 1)))
                ++depth;
        return std::max(m_max, depth);
    }

    std::string_view m_text;
    int m_stop;
    int m_max = 0;
    std::vector<std::string_view> m_names;  // open elements, innermost last
};

}  // namespace

int XmlNestingDepth(std::string_view text, int stopAbove)
{
    return NestingWalk(text, stopAbove).Run();
}
