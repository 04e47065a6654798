// Helpers shared by the window layer tests.
#pragma once

#include "platform/ui/CMenu.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/WinUser.h"
#include "tests/support/UiEvents.h"

#include <functional>
#include <vector>

// Runs the event loop until done() or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000)
{
    return PumpEventsUntil(done, timeoutMs);
}

// Answers every question without a screen and remembers what was asked.
class RecordingResponder : public CUiResponder {
public:
    struct Box {
        CString text;
        CString caption;
        UINT type;
    };
    std::vector<Box>* boxes;
    std::vector<CString>* opened;
    int boxAnswer = IDOK;
    UINT menuChoice = 0;
    std::vector<CString> files;
    COLORREF color = 0;

    RecordingResponder(std::vector<Box>* b, std::vector<CString>* o) : boxes(b), opened(o) {}

    int MessageBox(CWnd*, const CString& text, const CString& caption, UINT type) override
    {
        boxes->push_back({text, caption, type});
        return boxAnswer;
    }
    bool ChooseFile(CWnd*, FileDialogRequest&, std::vector<CString>& chosen) override
    {
        chosen = files;
        return !files.empty();
    }
    bool ChooseColor(CWnd*, COLORREF& c) override
    {
        c = color;
        return true;
    }
    UINT TrackPopupMenu(CMenu&, CPoint, CWnd*) override { return menuChoice; }
    bool OpenExternal(const CString& target) override
    {
        opened->push_back(target);
        return true;
    }
};
