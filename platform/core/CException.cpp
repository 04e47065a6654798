#include "platform/core/CException.h"

#include <algorithm>
#include <cstring>

BOOL CException::GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (!buffer || maxLength == 0)
        return FALSE;
    const size_t n = std::min<size_t>(static_cast<size_t>(m_message.GetLength()), maxLength - 1);
    std::memcpy(buffer, m_message.GetString(), n);
    buffer[n] = '\0';
    return m_message.IsEmpty() ? FALSE : TRUE;
}
