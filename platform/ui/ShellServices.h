// Clipboard text and opening URLs or files with the desktop.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

BOOL SetClipboardText(const CString& text);
CString GetClipboardText();
// Whether the text is an http:// or https:// URL with a host: what a link may open.
bool IsWebLink(const CString& url);
// Opens a link with the desktop's browser: only http:// and https:// URLs with a host.
// Other schemes, file: URLs and plain paths are refused with FALSE.
BOOL ShellOpenLink(const CString& url);
// Opens a file the program wrote or ships (an export, a help page) with the desktop's
// handler, by its path. Missing files, folders and URLs are refused with FALSE.
BOOL ShellOpenFile(const CString& path);
