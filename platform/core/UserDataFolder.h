// The user data folder ("program folder"): settings, config.ini and user files.
#pragma once

#include "platform/core/CString.h"

// Sub-folders made inside the user data folder.
inline constexpr const char* kDataSubfolders[] = {"Layouts", "Workspaces", "Symbols", "Strategies",
                                                  "Formulas", "Backtesting", "Sounds", "SpreadSheets",
                                                  "Charts", "MarketStats", "Temp"};
// The program's diagnostic log inside the folder (older ones beside it as ".1", ".2"...).
inline constexpr const char* kLogFileName = "Quorvantelix.log";

// The folder from the command-line option when given, else from QX_HOME, else
// ~/.local/share/Quorvantelix. Without a trailing slash.
CString ResolveUserDataFolder(const char* explicitFolder = nullptr);

// Creates the folder and its sub-folders as needed. On failure returns false and
// sets *error to a message naming the folder that could not be made.
bool PrepareUserDataFolder(const char* folder, CString* error = nullptr);
