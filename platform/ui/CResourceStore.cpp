#include "platform/ui/CResourceStore.h"

#include "platform/ui/EmbeddedResources.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace {

struct Token {
    enum class Kind { Word, Number, Text };
    Kind kind;
    std::string text;
    long long number = 0;
};

// Splits one line into words, numbers and quoted texts; false on a malformed line.
bool Tokenize(const std::string& line, std::vector<Token>& out, std::string& error)
{
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '#')
            break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '"') {
            std::string text;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char ch = line[i++];
                if (ch == '"') {
                    closed = true;
                    break;
                }
                if (ch == '\\' && i < line.size()) {
                    const char e = line[i++];
                    switch (e) {
                    case 't': ch = '\t'; break;
                    case 'n': ch = '\n'; break;
                    case 'r': ch = '\r'; break;
                    case '"': ch = '"'; break;
                    case '\\': ch = '\\'; break;
                    default: error = std::string("unknown escape \\") + e; return false;
                    }
                }
                text += ch;
            }
            if (!closed) {
                error = "unterminated text";
                return false;
            }
            out.push_back({Token::Kind::Text, text, 0});
            continue;
        }
        const size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])) && line[i] != '"' && line[i] != '#')
            ++i;
        std::string word = line.substr(start, i - start);
        char* end = nullptr;
        const long long n = std::strtoll(word.c_str(), &end, 0);
        if (end && *end == '\0' && !word.empty() && (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-'))
            out.push_back({Token::Kind::Number, word, n});
        else
            out.push_back({Token::Kind::Word, word, 0});
    }
    return true;
}

class Parser {
public:
    Parser(const CString& source, std::vector<CString>& errors) : m_source(source), m_errors(errors) {}

    bool Parse(const std::string& text)
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            ++m_line;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::vector<Token> t;
            std::string error;
            if (!Tokenize(line, t, error)) {
                Fail(error);
                continue;
            }
            if (!t.empty())
                Statement(t);
        }
        if (m_state != State::Top)
            Fail("missing \"end\" at end of file");
        return m_ok;
    }

    std::map<UINT, DialogTemplate> dialogs;
    std::map<UINT, MenuTemplate> menus;
    std::map<UINT, CString> strings;
    std::map<UINT, CString> bitmaps;
    struct Cursor {
        CString file;
        int hotX;
        int hotY;
    };
    std::map<UINT, Cursor> cursors;

private:
    enum class State { Top, Dialog, Menu, Strings };

    void Fail(const std::string& what)
    {
        CString msg;
        msg.Format("%s:%d: %s", m_source, m_line, what.c_str());
        m_errors.push_back(msg);
        m_ok = false;
    }

    static bool IsWord(const Token& t, const char* w) { return t.kind == Token::Kind::Word && t.text == w; }

    std::optional<UINT> Id(const std::vector<Token>& t, size_t at)
    {
        if (at >= t.size() || t[at].kind != Token::Kind::Number || t[at].number < 0 || t[at].number > 0xFFFF) {
            Fail("expected an id from 0 to 65535");
            return std::nullopt;
        }
        return static_cast<UINT>(t[at].number);
    }

    void Statement(const std::vector<Token>& t)
    {
        switch (m_state) {
        case State::Top: TopStatement(t); break;
        case State::Dialog: DialogStatement(t); break;
        case State::Menu: MenuStatement(t); break;
        case State::Strings: StringStatement(t); break;
        }
    }

    void TopStatement(const std::vector<Token>& t)
    {
        if (IsWord(t[0], "dialog")) {
            auto id = Id(t, 1);
            if (!id)
                return;
            if (dialogs.count(*id)) {
                Fail("dialog " + std::to_string(*id) + " defined twice");
                return;
            }
            m_dialog = &dialogs[*id];
            m_dialog->id = *id;
            m_state = State::Dialog;
        } else if (IsWord(t[0], "menu")) {
            auto id = Id(t, 1);
            if (!id)
                return;
            if (menus.count(*id)) {
                Fail("menu " + std::to_string(*id) + " defined twice");
                return;
            }
            MenuTemplate& m = menus[*id];
            m.id = *id;
            m_menuStack.assign(1, &m.items);
            m_state = State::Menu;
        } else if (IsWord(t[0], "strings")) {
            m_state = State::Strings;
        } else if (IsWord(t[0], "bitmap")) {
            auto id = Id(t, 1);
            if (!id)
                return;
            if (t.size() != 3 || t[2].kind != Token::Kind::Text) {
                Fail("bitmap needs an id and a file name");
                return;
            }
            bitmaps[*id] = CString(t[2].text);
        } else if (IsWord(t[0], "cursor")) {
            auto id = Id(t, 1);
            if (!id)
                return;
            if (t.size() != 5 || t[2].kind != Token::Kind::Text || t[3].kind != Token::Kind::Number ||
                t[4].kind != Token::Kind::Number) {
                Fail("cursor needs an id, a file name and the hot spot x y");
                return;
            }
            cursors[*id] = Cursor{CString(t[2].text), static_cast<int>(t[3].number), static_cast<int>(t[4].number)};
        } else {
            Fail("unknown statement \"" + t[0].text + "\"");
        }
    }

    void DialogStatement(const std::vector<Token>& t)
    {
        DialogTemplate& d = *m_dialog;
        if (IsWord(t[0], "end")) {
            m_state = State::Top;
        } else if (IsWord(t[0], "caption") && t.size() == 2 && t[1].kind == Token::Kind::Text) {
            d.caption = CString(t[1].text);
        } else if (IsWord(t[0], "font") && t.size() == 3 && t[1].kind == Token::Kind::Number &&
                   t[2].kind == Token::Kind::Text) {
            d.fontSize = static_cast<int>(t[1].number);
            d.fontFace = CString(t[2].text);
        } else if (IsWord(t[0], "size") && t.size() == 3 && t[1].kind == Token::Kind::Number &&
                   t[2].kind == Token::Kind::Number) {
            d.width = static_cast<int>(t[1].number);
            d.height = static_cast<int>(t[2].number);
        } else if (IsWord(t[0], "style")) {
            for (size_t i = 1; i < t.size(); ++i)
                d.styles.emplace_back(t[i].text);
        } else if (IsWord(t[0], "control")) {
            if (t.size() < 8 || t[1].kind != Token::Kind::Word || t[2].kind != Token::Kind::Number ||
                t[3].kind != Token::Kind::Text || t[4].kind != Token::Kind::Number || t[5].kind != Token::Kind::Number ||
                t[6].kind != Token::Kind::Number || t[7].kind != Token::Kind::Number) {
                Fail("control needs: kind id \"text\" x y width height [styles]");
                return;
            }
            static const char* kKinds[] = {"static", "edit", "button", "check", "radio", "groupbox", "combo", "listbox",
                                           "listctrl", "spin", "datetime", "monthcal", "tab", "progress", "slider",
                                           "custom"};
            bool known = false;
            for (const char* k : kKinds)
                known = known || t[1].text == k;
            if (!known) {
                Fail("unknown control kind \"" + t[1].text + "\"");
                return;
            }
            DialogControlTemplate c;
            c.kind = CString(t[1].text);
            c.id = static_cast<int>(t[2].number);
            c.text = CString(t[3].text);
            const int x = static_cast<int>(t[4].number);
            const int y = static_cast<int>(t[5].number);
            c.rect = CRect(x, y, x + static_cast<int>(t[6].number), y + static_cast<int>(t[7].number));
            for (size_t i = 8; i < t.size(); ++i)
                c.styles.emplace_back(t[i].text);
            if (c.id != -1 && d.Control(c.id)) {
                Fail("control id " + std::to_string(c.id) + " used twice");
                return;
            }
            d.controls.push_back(std::move(c));
        } else {
            Fail("unknown dialog statement \"" + t[0].text + "\"");
        }
    }

    void MenuStatement(const std::vector<Token>& t)
    {
        auto& items = *m_menuStack.back();
        if (IsWord(t[0], "end")) {
            m_menuStack.pop_back();
            if (m_menuStack.empty())
                m_state = State::Top;
        } else if (IsWord(t[0], "popup") && t.size() == 2 && t[1].kind == Token::Kind::Text) {
            MenuItemTemplate p;
            p.kind = MenuItemTemplate::Kind::Popup;
            p.text = CString(t[1].text);
            items.push_back(std::move(p));
            m_menuStack.push_back(&items.back().children);
        } else if (IsWord(t[0], "separator")) {
            MenuItemTemplate s;
            s.kind = MenuItemTemplate::Kind::Separator;
            items.push_back(s);
        } else if (IsWord(t[0], "item")) {
            auto id = Id(t, 1);
            if (!id)
                return;
            if (t.size() < 3 || t[2].kind != Token::Kind::Text) {
                Fail("item needs an id and a text");
                return;
            }
            MenuItemTemplate i;
            i.id = *id;
            i.text = CString(t[2].text);
            for (size_t k = 3; k < t.size(); ++k) {
                if (IsWord(t[k], "checked"))
                    i.checked = true;
                else if (IsWord(t[k], "grayed"))
                    i.grayed = true;
                else {
                    Fail("unknown item flag \"" + t[k].text + "\"");
                    return;
                }
            }
            items.push_back(std::move(i));
        } else {
            Fail("unknown menu statement \"" + t[0].text + "\"");
        }
    }

    void StringStatement(const std::vector<Token>& t)
    {
        if (IsWord(t[0], "end")) {
            m_state = State::Top;
            return;
        }
        auto id = Id(t, 0);
        if (!id)
            return;
        if (t.size() != 2 || t[1].kind != Token::Kind::Text) {
            Fail("string needs an id and a text");
            return;
        }
        if (strings.count(*id)) {
            Fail("string " + std::to_string(*id) + " defined twice");
            return;
        }
        strings[*id] = CString(t[1].text);
    }

    CString m_source;
    std::vector<CString>& m_errors;
    int m_line = 0;
    bool m_ok = true;
    State m_state = State::Top;
    DialogTemplate* m_dialog = nullptr;
    std::vector<std::vector<MenuItemTemplate>*> m_menuStack;
};

bool EndsWith(const std::string& s, const char* suffix)
{
    const std::string x(suffix);
    return s.size() >= x.size() && s.compare(s.size() - x.size(), x.size(), x) == 0;
}

}  // namespace

CResourceStore& CResourceStore::Instance()
{
    static CResourceStore store = [] {
        CResourceStore s;
        for (size_t i = 0; i < kQxEmbeddedResourceCount; ++i) {
            const auto& r = kQxEmbeddedResources[i];
            std::string bytes(reinterpret_cast<const char*>(r.data), r.size);
            const std::string name(r.name);
            if (EndsWith(name, ".png") || EndsWith(name, ".bmp") || EndsWith(name, ".ico"))
                s.AddBitmapData(CString(name.substr(name.find_last_of('/') + 1)), std::move(bytes));
            else
                s.LoadText(CString(name), bytes, &s.m_errors);
        }
        return s;
    }();
    return store;
}

bool CResourceStore::LoadText(const CString& sourceName, const std::string& text, std::vector<CString>* errors)
{
    std::vector<CString> local;
    Parser parser(sourceName, errors ? *errors : local);
    if (!parser.Parse(text))
        return false;
    for (auto& [id, d] : parser.dialogs)
        if (m_dialogs.count(id)) {
            (errors ? *errors : local).push_back(sourceName + ": dialog defined in two files");
            return false;
        }
    for (auto& [id, d] : parser.dialogs)
        m_dialogs[id] = std::move(d);
    for (auto& [id, m] : parser.menus)
        m_menus[id] = std::move(m);
    for (auto& [id, s] : parser.strings)
        m_strings[id] = std::move(s);
    for (auto& [id, f] : parser.bitmaps)
        m_bitmapFiles[id] = std::move(f);
    for (auto& [id, c] : parser.cursors)
        m_cursors[id] = CursorEntry{c.file, c.hotX, c.hotY};
    return true;
}

void CResourceStore::AddBitmapData(const CString& fileName, std::string bytes)
{
    m_bitmapData[fileName] = std::move(bytes);
}

const DialogTemplate* CResourceStore::FindDialog(UINT id) const
{
    auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : &it->second;
}

const MenuTemplate* CResourceStore::FindMenu(UINT id) const
{
    auto it = m_menus.find(id);
    return it == m_menus.end() ? nullptr : &it->second;
}

std::vector<UINT> CResourceStore::GetMenuIds() const
{
    std::vector<UINT> ids;
    for (const auto& entry : m_menus)
        ids.push_back(entry.first);
    return ids;
}

const CString* CResourceStore::FindString(UINT id) const
{
    auto it = m_strings.find(id);
    return it == m_strings.end() ? nullptr : &it->second;
}

const std::string* CResourceStore::FindBitmapData(UINT id) const
{
    auto it = m_bitmapFiles.find(id);
    if (it == m_bitmapFiles.end())
        return nullptr;
    auto data = m_bitmapData.find(it->second);
    return data == m_bitmapData.end() ? nullptr : &data->second;
}

const std::string* CResourceStore::FindCursorData(UINT id, int& hotX, int& hotY) const
{
    auto it = m_cursors.find(id);
    if (it == m_cursors.end())
        return nullptr;
    auto data = m_bitmapData.find(it->second.file);
    if (data == m_bitmapData.end())
        return nullptr;
    hotX = it->second.hotX;
    hotY = it->second.hotY;
    return &data->second;
}

CString LoadResourceString(UINT id)
{
    const CString* s = CResourceStore::Instance().FindString(id);
    return s ? *s : CString();
}

BOOL LoadString(CString& text, UINT id)
{
    const CString* s = CResourceStore::Instance().FindString(id);
    if (!s)
        return FALSE;
    text = *s;
    return TRUE;
}
