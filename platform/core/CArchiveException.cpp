#include "platform/core/CArchiveException.h"

namespace {
const char* causeText(int cause)
{
    switch (cause) {
    case CArchiveException::none: return "no error";
    case CArchiveException::readOnly: return "write to an archive opened for loading";
    case CArchiveException::endOfFile: return "unexpected end of file";
    case CArchiveException::writeOnly: return "read from an archive opened for storing";
    case CArchiveException::badIndex: return "invalid count or length";
    case CArchiveException::badClass: return "unexpected record type";
    case CArchiveException::badSchema: return "unsupported data form";
    default: return "archive error";
    }
}
}  // namespace

CArchiveException::CArchiveException(int cause, const char* fileName) : m_cause(cause), m_strFileName(fileName)
{
    CString message;
    message.Format("%s: %s", m_strFileName.IsEmpty() ? "(archive)" : m_strFileName.GetString(), causeText(cause));
    SetMessage(message);
}
