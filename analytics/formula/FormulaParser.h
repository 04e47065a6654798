// Turns formula text into postfix items: the pre-pass, the operand/operator walk, operand
// recognition and the operator-precedence step.
#pragma once

#include "analytics/formula/CFormulaItem.h"
#include "platform/core/CString.h"

#include <memory>
#include <vector>

using CFormulaItemArray = std::vector<std::unique_ptr<CFormulaItem>>;

// Deepest parenthesis nesting a formula may use.
constexpr int kMaxFormulaNesting = 64;
// Longest formula text accepted.
constexpr int kMaxFormulaLength = 16384;

// The pre-pass: line ends and tabs as blanks, " AND "/" OR ", blanks and comments removed.
// False with a message when it would join two numbers or names that the text keeps apart.
bool PrepareFormulaText(const char* text, CString& prepared, CString& error);

// Compiles the text; on failure `items` is empty and `error` holds the message.
bool CompileFormulaText(const char* text, CFormulaItemArray& items, CString& error);
