// Base of the exceptions thrown by files, archives and the other platform classes.
#pragma once

#include "platform/core/CString.h"

#include <exception>

class CException : public std::exception {
public:
    CException() = default;
    explicit CException(CString message) : m_message(std::move(message)) {}

    // Copies the message into buffer (always terminated); false when there is none.
    virtual BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const;
    CString GetErrorMessage() const { return m_message; }
    const char* what() const noexcept override { return m_message.GetString(); }

protected:
    void SetMessage(CString message) { m_message = std::move(message); }

private:
    CString m_message;
};

// Runs a read or write that throws on a short or damaged archive; such a failure is false.
template <class Fn>
bool SucceedsWithoutException(Fn&& fn)
{
    try {
        return fn();
    } catch (CException&) {
        return false;
    }
}
