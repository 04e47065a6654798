#include "common/services/ExportFileType.h"

#include <array>

namespace {

struct CFileType {
    const char* extension;
    char separator;
};
constexpr std::array<CFileType, 3> kTypes = {{{"csv", ','}, {"txt", '\t'}, {"prn", ' '}}};

// The extension of the file name part, without the point; empty when there is none.
CString ExtensionOf(const CString& path)
{
    const int slash = path.ReverseFind('/');
    const int dot = path.ReverseFind('.');
    return dot > slash + 1 ? path.Mid(dot + 1) : CString();
}

} // namespace

char ExportSeparatorForPath(const CString& path)
{
    const CString extension = ExtensionOf(path);
    if (extension.CompareNoCase("csv") == 0)
        return ',';
    if (extension.CompareNoCase("prn") == 0)
        return ' ';
    return '\t';
}

CExportTarget ResolveExportTarget(const CString& typed, int filterIndex)
{
    const CString extension = ExtensionOf(typed);
    for (const CFileType& type : kTypes)
        if (extension.CompareNoCase(type.extension) == 0)
            return {typed, type.separator};
    const CFileType& chosen = filterIndex >= 1 && filterIndex <= static_cast<int>(kTypes.size())
                                  ? kTypes[static_cast<size_t>(filterIndex - 1)]
                                  : kTypes[0];
    return {typed + "." + chosen.extension, chosen.separator};
}
