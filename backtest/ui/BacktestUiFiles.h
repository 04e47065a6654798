// What the backtest windows and strategy dialogs share: the user's data folders, the
// files the dialogs pick (symbol lists in Symbols, strategy files in Strategies), the
// intervals they offer and the disclosure page their Help opens.
#pragma once

#include "platform/core/CString.h"

class CComboBox;
class CWnd;

// The folder of that name in the user's data folder (the bare name without settings).
CString UserDataFolder(const char* name);
// The Interval box's choices.
void FillStrategyIntervals(CComboBox* combo);
// The symbols of a list file the user picks; false when none is picked or it cannot be read.
bool ChooseSymbolList(CWnd* parent, CString& symbols);
// A strategy file to read, or to write under the strategy's name; false when cancelled.
bool ChooseStrategyToOpen(CWnd* parent, CString& path);
bool ChooseStrategyToSave(CWnd* parent, const CString& strategyName, CString& path);
void OpenBacktestingDisclosure();
