// Keeps what the program would tell the user, for tests to look at.
#pragma once

#include "common/services/CAppSettings.h"

#include <vector>

class CRecordingNotifier : public IUserNotifier {
public:
    void Notify(const CString& text) override { messages.push_back(text); }
    std::vector<CString> messages;
};
