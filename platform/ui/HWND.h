// Window handle: a generation-counted slot id, never a pointer. A handle of a
// destroyed window stays invalid even after its slot is reused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class HWND {
public:
    constexpr HWND() = default;
    constexpr HWND(std::nullptr_t) {}

    static constexpr HWND FromParts(uint32_t slot, uint32_t generation)
    {
        HWND h;
        h.m_value = (static_cast<uint64_t>(generation) << 32) | (static_cast<uint64_t>(slot) + 1);
        return h;
    }
    static constexpr HWND FromValue(uint64_t value)
    {
        HWND h;
        h.m_value = value;
        return h;
    }

    constexpr uint64_t Value() const { return m_value; }
    constexpr uint32_t Slot() const { return static_cast<uint32_t>(m_value & 0xFFFFFFFFu) - 1; }
    constexpr uint32_t Generation() const { return static_cast<uint32_t>(m_value >> 32); }
    constexpr explicit operator bool() const { return m_value != 0; }
    friend constexpr bool operator==(HWND a, HWND b) { return a.m_value == b.m_value; }
    friend constexpr bool operator==(HWND a, std::nullptr_t) { return a.m_value == 0; }

private:
    uint64_t m_value = 0;
};

template <>
struct std::hash<HWND> {
    size_t operator()(HWND h) const noexcept { return std::hash<uint64_t>{}(h.Value()); }
};
