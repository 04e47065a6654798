// Whole text files: read with a bound, written through a temporary file.
#pragma once

#include "platform/core/CString.h"

#include <string>

// The whole file, at most maxBytes. False with openMessage + path when it cannot be
// opened, "Error reading file " + path when it is larger or a read comes short.
bool ReadBoundedTextFile(const char* path, size_t maxBytes, std::string& text, CString& error,
                         const char* openMessage = "Error opening file ");
// Writes the text through a temporary file that then replaces the file. False with
// "Error opening file <path> for writing", or writeMessage + path when a write fails;
// the old file stays as it was.
bool WriteTextFileSafely(const char* path, const CString& text, CString& error, const char* writeMessage = nullptr);
