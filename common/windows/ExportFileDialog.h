// The save dialog of every export: the delimited file types on the "\SpreadSheets" folder;
// the type chosen decides the file's extension and separator (ExportFileType.h).
#pragma once

#include "common/services/ExportFileType.h"

class CWnd;

// False when the user cancelled. A file that the chosen type's extension names and that
// exists already is replaced only when the user says so (else the dialog comes back).
bool ChooseExportFile(CWnd* parent, CExportTarget& target);
