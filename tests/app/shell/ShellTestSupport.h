// Helpers of the shell tests: event pumping, a recording responder and a scratch folder.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/WinUser.h"
#include "tests/support/UiEvents.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    return PumpEventsUntil(done, timeoutMs);
}

struct RecordedBox {
    CString text;
    CString caption;
    UINT type;
};

class RecordingResponder : public CUiResponder {
public:
    explicit RecordingResponder(std::vector<RecordedBox>* boxes) : m_boxes(boxes) {}
    int MessageBox(CWnd*, const CString& text, const CString& caption, UINT type) override
    {
        m_boxes->push_back({text, caption, type});
        return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    UINT TrackPopupMenu(CMenu&, CPoint, CWnd*) override { return m_menuChoice ? *m_menuChoice : 0; }
    bool OpenExternal(const CString&) override { return true; }
    UINT* m_menuChoice = nullptr;

private:
    std::vector<RecordedBox>* m_boxes;
};

class ScratchFolder {
public:
    explicit ScratchFolder(const char* tag)
    {
        static int n = 0;
        m_path = std::filesystem::temp_directory_path() /
                 (std::string("qx-shell-") + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    CString Path() const { return CString(m_path.string()); }
    std::string File(const char* name) const { return (m_path / name).string(); }
    std::string Read(const char* name) const
    {
        std::ifstream in(File(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const char* name, const std::string& text) const
    {
        std::ofstream out(File(name), std::ios::binary);
        out << text;
    }

private:
    std::filesystem::path m_path;
};
