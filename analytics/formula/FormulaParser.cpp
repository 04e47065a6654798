#include "analytics/formula/FormulaParser.h"

#include "analytics/formula/FormulaNames.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsOperatorChar(char c)
{
    return c && std::strchr("+-*/%^><=&|", c) != nullptr;
}

// Characters that make up a word or number; two of them may not be joined by removing
// what stood between them.
bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_';
}

void ReplaceAll(std::string& text, const char* from, const char* to)
{
    const size_t fromLength = std::strlen(from), toLength = std::strlen(to);
    for (size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += toLength)
        text.replace(pos, fromLength, to);
}

// The run of word characters ending just before `end` / starting at `begin`.
std::string WordBefore(const std::string& text, size_t end)
{
    size_t begin = end;
    while (begin > 0 && IsWordChar(text[begin - 1]))
        --begin;
    return text.substr(begin, end - begin);
}

std::string WordAfter(const std::string& text, size_t begin)
{
    size_t end = begin;
    while (end < text.size() && IsWordChar(text[end]))
        ++end;
    return text.substr(begin, end - begin);
}

bool JoinError(const std::string& leftText, size_t leftEnd, const std::string& rightText, size_t rightBegin,
               CString& error)
{
    if (leftEnd == 0 || rightBegin >= rightText.size() || !IsWordChar(leftText[leftEnd - 1]) ||
        !IsWordChar(rightText[rightBegin]))
        return false;
    const std::string left = WordBefore(leftText, leftEnd), right = WordAfter(rightText, rightBegin);
    // Blanks inside names ("Day Of Week", "1-Year High") join words; two numbers stay apart.
    const auto isNumber = [](const std::string& w) {
        return !w.empty() && (std::isdigit(static_cast<unsigned char>(w[0])) || w[0] == '.');
    };
    if (!isNumber(left) || !isNumber(right))
        return false;
    error.Format("Missing operator between %s and %s", left.c_str(), right.c_str());
    return true;
}

struct Operand {
    std::string text;
};

int OperatorLevel(int code)
{
    switch (code) {
    case kOpPow: return 2;
    case kOpMul: case kOpDiv: case kOpMod: return 3;
    case kOpAdd: case kOpSub: return 4;
    case kOpAnd: case kOpOr: return 6;
    case kOpOpen: return 0;
    case kOpClose: return 1;
    case kOpBottom: case kOpEnd: return 7;
    default: return 5; // comparisons
    }
}

class CFormulaCompiler {
public:
    CFormulaCompiler(CFormulaItemArray& items, CString& error) : m_items(items), m_error(error) {}

    bool Run(const std::string& s);

private:
    bool Operand(const std::string& text);
    bool Binary(int code);
    bool Close();
    bool End();
    void Reduce() { m_items.push_back(std::make_unique<CFormulaOperatorItem>(m_stack.back())); m_stack.pop_back(); }
    bool CheckShape();

    CFormulaItemArray& m_items;
    CString& m_error;
    std::vector<int> m_stack{kOpBottom};
    int m_nOpen = 0;
};

bool CFormulaCompiler::Binary(int code)
{
    const int level = OperatorLevel(code);
    while (m_stack.back() != kOpBottom && m_stack.back() != kOpOpen) {
        const int top = OperatorLevel(m_stack.back());
        if (top < level || (top == level && level != 2))
            Reduce();
        else
            break;
    }
    m_stack.push_back(code);
    return true;
}

bool CFormulaCompiler::Close()
{
    while (m_stack.back() != kOpBottom && m_stack.back() != kOpOpen)
        Reduce();
    if (m_stack.back() == kOpBottom) {
        m_error = "Error parsing expression: \"(\" is missing before \")\"";
        return false;
    }
    m_stack.pop_back();
    --m_nOpen;
    return true;
}

bool CFormulaCompiler::End()
{
    while (m_stack.back() != kOpBottom && m_stack.back() != kOpOpen)
        Reduce();
    if (m_stack.back() == kOpOpen) {
        m_error = "Error parsing expression: unmatched parentheses";
        return false;
    }
    return true;
}

bool CFormulaCompiler::CheckShape()
{
    int depth = 0;
    for (const auto& item : m_items) {
        if (item->m_nKind == kItemOperator) {
            if (depth < 2)
                break;
            --depth;
        } else {
            ++depth;
        }
    }
    if (m_items.empty() || depth == 1)
        return true;
    m_error = "Error parsing expression";
    return false;
}

bool CFormulaCompiler::Operand(const std::string& text)
{
    const size_t open = text.find('[');
    if (open != std::string::npos && text.find(']') == text.size() - 1) {
        const std::string name = text.substr(0, open);
        const std::string args = text.substr(open + 1, text.size() - open - 2);
        if (const CFormulaFunction* function = FindFormulaFunction(name.c_str())) {
            auto call = std::make_unique<CFunctionCall>();
            CString message;
            if (!CheckFunctionArgs(args.c_str(), *function, *call, message)) {
                m_error.Format("Invalid argument list for function %s: %s", name.c_str(), message.GetString());
                return false;
            }
            if (name == "Level2")
                m_items.push_back(std::make_unique<CFormulaDepthItem>(std::move(call)));
            else
                m_items.push_back(std::make_unique<CFormulaSeriesItem>(std::move(call)));
            return true;
        }
        const int field = FindFormulaQuoteField(name.c_str());
        if (field >= 0) {
            if (args.find(',') != std::string::npos) {
                m_error.Format("Invalid argument list for function %s, only [Symbol] argument allowed", name.c_str());
                return false;
            }
            if (!args.empty() && !IsFormulaSymbolText(args.c_str())) {
                m_error.Format("Invalid argument list for function %s: %s is not a valid symbol", name.c_str(),
                               args.c_str());
                return false;
            }
            auto item = std::make_unique<CFormulaValueItem>(kItemQuoteField, field);
            item->m_pCall = std::make_unique<CFunctionCall>();
            item->m_pCall->m_symbol = args.c_str();
            m_items.push_back(std::move(item));
            return true;
        }
        if (FindFormulaTimeName(name.c_str()) >= 0) {
            m_error.Format("No arguments allowed for function %s", name.c_str());
            return false;
        }
        m_error.Format("Invalid function name %s", name.c_str());
        return false;
    }
    const int field = FindFormulaQuoteField(text.c_str());
    if (field >= 0) {
        m_items.push_back(std::make_unique<CFormulaValueItem>(kItemQuoteField, field));
        return true;
    }
    const int timeName = FindFormulaTimeName(text.c_str());
    if (timeName >= 0) {
        m_items.push_back(std::make_unique<CFormulaValueItem>(kItemTimeValue, timeName));
        return true;
    }
    // A number: optional "-", digits with at most one "."; a lone "." is 0.
    size_t i = text[0] == '-' ? 1 : 0;
    int points = 0;
    bool number = i < text.size();
    for (; i < text.size() && number; ++i)
        number = std::isdigit(static_cast<unsigned char>(text[i])) || (text[i] == '.' && ++points == 1);
    if (number && text.size() <= 64) {
        m_items.push_back(std::make_unique<CFormulaItem>(kItemConstant, std::strtod(text.c_str(), nullptr)));
        return true;
    }
    m_error.Format("Invalid operand %s", text.c_str());
    return false;
}

bool CFormulaCompiler::Run(const std::string& s)
{
    enum { kStart, kAfterOperand, kAfterOperator } state = kStart;
    bool expectOperand = true;
    bool afterClose = false;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const char c = s[i];
        if (c == '(') {
            if (!expectOperand) {
                if (afterClose)
                    m_error = "Missing operator between \")\" and \"(\"";
                else
                    m_error = "Missing operator before \"(\"";
                return false;
            }
            if (++m_nOpen > kMaxFormulaNesting) {
                m_error = "Error parsing expression: too many nested parentheses";
                return false;
            }
            m_stack.push_back(kOpOpen);
            ++i;
            continue;
        }
        if (c == ')') {
            if (m_nOpen > 0 && expectOperand) {
                m_error = "Missing operand before \")\"";
                return false;
            }
            if (!Close())
                return false;
            expectOperand = false;
            afterClose = true;
            ++i;
            continue;
        }
        if (IsOperatorChar(c)) {
            if (i == n - 1) {
                m_error = "Can't end expression with operator";
                return false;
            }
            if (!expectOperand) {
                int code = kOpAdd;
                size_t length = 1;
                const char next = s[i + 1];
                switch (c) {
                case '+': code = kOpAdd; break;
                case '-': code = kOpSub; break;
                case '*': code = kOpMul; break;
                case '/': code = kOpDiv; break;
                case '%': code = kOpMod; break;
                case '^': code = kOpPow; break;
                case '=': code = kOpEqual; break;
                case '&': code = kOpAnd; break;
                case '|': code = kOpOr; break;
                case '<':
                    code = next == '=' ? kOpLessEqual : next == '>' ? kOpNotEqual : kOpLess;
                    length = code == kOpLess ? 1 : 2;
                    break;
                default: // '>'
                    code = next == '=' ? kOpGreaterEqual : kOpGreater;
                    length = code == kOpGreater ? 1 : 2;
                    break;
                }
                i += length;
                if (i >= n) {
                    m_error = "Can't end expression with operator";
                    return false;
                }
                Binary(code);
                state = kAfterOperator;
                expectOperand = true;
                afterClose = false;
                continue;
            }
            if (c != '-') {
                m_error = state == kStart ? "Can't start expression with operator"
                                          : "2 operators in a row: missing operand";
                return false;
            }
            // A sign: only a number may follow it.
            const char next = s[i + 1];
            if (!std::isdigit(static_cast<unsigned char>(next)) && next != '.') {
                size_t end = i + 2;
                while (next != '(' && end < n && !IsOperatorChar(s[end]) && s[end] != '(' && s[end] != ')')
                    ++end;
                m_error.Format("Invalid operand %s", s.substr(i, end - i).c_str());
                return false;
            }
        } else if (!expectOperand) {
            m_error = "Missing operator after \")\"";
            return false;
        }
        // Operand: up to an operator character or a parenthesis outside brackets.
        size_t end = i + (s[i] == '-' ? 1 : 0);
        bool inBrackets = false;
        for (; end < n; ++end) {
            const char d = s[end];
            if (inBrackets) {
                if (d == ']')
                    inBrackets = false;
                continue;
            }
            if (d == '[')
                inBrackets = true;
            else if (IsOperatorChar(d) || d == '(' || d == ')')
                break;
        }
        // A name glued to a parenthesis is no call.
        if (end < n && s[end] == '(') {
            m_error.Format("Invalid operand %s(", s.substr(i, end - i).c_str());
            return false;
        }
        if (!Operand(s.substr(i, end - i)))
            return false;
        i = end;
        state = kAfterOperand;
        expectOperand = false;
        afterClose = false;
    }
    return End() && CheckShape();
}

} // namespace

bool PrepareFormulaText(const char* text, CString& prepared, CString& error)
{
    std::string s(text ? text : "");
    if (s.size() > static_cast<size_t>(kMaxFormulaLength)) {
        error = "Formula too long";
        return false;
    }
    std::string spaced;
    spaced.reserve(s.size() * 2);
    for (const char c : s) {
        switch (c) {
        case '(': spaced += " ("; break;
        case ')': spaced += ") "; break;
        case ']': spaced += "] "; break;
        case '\r': case '\n': case '\t': spaced += ' '; break;
        default: spaced += c; break;
        }
    }
    ReplaceAll(spaced, " AND ", "&");
    ReplaceAll(spaced, " OR ", "|");
    std::string compact;
    compact.reserve(spaced.size());
    for (size_t i = 0; i < spaced.size(); ++i) {
        if (spaced[i] != ' ') {
            compact += spaced[i];
            continue;
        }
        size_t next = i;
        while (next < spaced.size() && spaced[next] == ' ')
            ++next;
        // Blanks never join two numbers: "5 3" is not 53.
        if (next < spaced.size() && JoinError(compact, compact.size(), spaced, next, error))
            return false;
        i = next - 1;
    }
    for (size_t pos = 0;;) {
        const size_t open = compact.find('{', pos);
        if (open == std::string::npos)
            break;
        const size_t close = compact.find('}', open);
        if (close == std::string::npos)
            break;
        compact.erase(open, close - open + 1);
        if (JoinError(compact, open, compact, open, error))
            return false;
        pos = open;
    }
    prepared = compact.c_str();
    return true;
}

bool CompileFormulaText(const char* text, CFormulaItemArray& items, CString& error)
{
    items.clear();
    error.Empty();
    CString prepared;
    if (!PrepareFormulaText(text, prepared, error))
        return false;
    CFormulaCompiler compiler(items, error);
    if (!compiler.Run(prepared.str())) {
        items.clear();
        return false;
    }
    items.shrink_to_fit();
    return true;
}
