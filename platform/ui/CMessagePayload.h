// Owned data that travels with a posted window message. The receiving handler may take
// it; otherwise it is destroyed after the handler returns, or when the message is
// dropped because its window is gone.
#pragma once

#include <memory>
#include <utility>

class CMessagePayload {
public:
    virtual ~CMessagePayload() = default;
};

template <class T>
class CPayload final : public CMessagePayload {
public:
    template <class... Args>
    explicit CPayload(Args&&... args) : value(std::forward<Args>(args)...)
    {
    }
    T value;
};

template <class T, class... Args>
std::unique_ptr<CMessagePayload> MakePayload(Args&&... args)
{
    return std::make_unique<CPayload<T>>(std::forward<Args>(args)...);
}
