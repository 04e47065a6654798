// Lookups and conversions on TinyXML documents: element and attribute names
// compare without regard to case.
#pragma once

#include "platform/core/CString.h"

#include <tinyxml.h>

#include <cstddef>
#include <string>
#include <string_view>

// How ParseXml reads a text. The parser recurses once per nested element, so a
// text nested deeper than maxDepth, or longer than maxBytes, is refused before
// the parser sees it.
struct XmlReadOptions {
    size_t maxBytes = size_t{16} << 20;
    int maxDepth = 256;
    // Every byte one character (ISO-8859-1), whatever the text declares.
    bool latin1 = false;
};

// Parses a whole text; every XML text of the program comes through here. On
// failure returns false and sets *error to the reason: a limit, or the parser's
// message with its line and column.
bool ParseXml(TiXmlDocument& doc, std::string_view text, CString* error = nullptr,
              const XmlReadOptions& options = XmlReadOptions());
// Reads an XML file for ParseXml: its size is checked before anything is read, so a file
// longer than maxBytes costs no memory. False with the reason (the file cannot be read, or
// the same limit text ParseXml gives); tooLarge tells the two apart.
bool ReadXmlFile(const char* path, std::string& text, CString* error, bool* tooLarge = nullptr,
                 size_t maxBytes = XmlReadOptions().maxBytes);
// Whether the text is UTF-8 throughout; the parser reads any other text byte for
// byte (it would step over a cut multi-byte sequence and past the text's end).
bool IsWellFormedUtf8(std::string_view text);
// The deepest element nesting the parser reaches on the text (up to its first
// NUL), found without recursion; the walk stops once it passes stopAbove.
int XmlNestingDepth(std::string_view text, int stopAbove);
// The node and its subtree as XML text.
CString PrintXml(const TiXmlNode& node);
// An element's text with "&", "<" and ">" as entities; every other character unchanged.
CString EscapeXmlText(const char* text);

// The first child element called name; deep searches all descendants depth first
// (a child, then its subtree, then the next child).
const TiXmlElement* FindChildNoCase(const TiXmlNode* parent, const char* name, bool deep = false);
TiXmlElement* FindChildNoCase(TiXmlNode* parent, const char* name, bool deep = false);
// The next sibling element called name.
const TiXmlElement* NextSiblingNoCase(const TiXmlElement* element, const char* name);
TiXmlElement* NextSiblingNoCase(TiXmlElement* element, const char* name);
// The value of the attribute called name, or null.
const char* GetAttributeNoCase(const TiXmlElement* element, const char* name);

// The element's text: all its text and CDATA children joined ("" for null).
CString GetElementText(const TiXmlElement* element);
// Sets out to the text of the child found as FindChildNoCase does; a missing
// child leaves out unchanged and returns false.
bool ReadChildText(const TiXmlNode* parent, const char* name, CString& out, bool deep = true);
