// Process-wide table of live windows: hands out generation-counted handles and maps
// handles and widgets back to their window objects.
#pragma once

#include "platform/ui/HWND.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

class CWnd;
class QWidget;

class CWindowRegistry {
public:
    static CWindowRegistry& Instance();

    HWND Register(CWnd* wnd, QWidget* widget);
    void Unregister(HWND handle);
    // Rebinds a live handle to another window object (subclassing an existing control).
    void Rebind(HWND handle, CWnd* wnd);
    void RebindWidget(HWND handle, QWidget* widget);
    // The outer widget (frame window, MDI sub-window) also finds the window.
    void SetOuter(HWND handle, QWidget* outer);

    bool IsAlive(HWND handle) const;     // any thread
    CWnd* Lookup(HWND handle) const;     // user-interface thread
    CWnd* FromWidget(const QWidget* widget) const;
    size_t LiveCount() const;
    std::vector<HWND> LiveHandles() const;

private:
    struct Slot {
        CWnd* wnd = nullptr;
        QWidget* widget = nullptr;
        QWidget* outer = nullptr;
        uint32_t generation = 1;
        bool used = false;
    };
    const Slot* Find(HWND handle) const;

    mutable std::mutex m_lock;
    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_free;
    std::unordered_map<const QWidget*, CWnd*> m_byWidget;
};
