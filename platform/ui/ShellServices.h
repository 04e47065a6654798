// Clipboard text and opening URLs or files with the desktop.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

BOOL SetClipboardText(const CString& text);
CString GetClipboardText();
// Opens an http:// or https:// URL, or an existing file, with the desktop's handler.
// Anything else (other schemes, missing files, folders) is refused with FALSE.
BOOL ShellOpen(const CString& target);
