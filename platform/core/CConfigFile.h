// config.ini: key=value lines, "#" comment lines, blank lines. The server keys
// have built-in defaults (the local test broker); other keys are kept as read.
#pragma once

#include "platform/core/CString.h"

#include <string_view>
#include <vector>

inline constexpr const char* kConfigFileName = "config.ini";

class CConfigFile {
public:
    CConfigFile() = default;

    // Reads the file; false when it cannot be read (the defaults stay in force).
    bool Load(const char* path);
    void LoadFromText(std::string_view text);

    // The value of key (names compare without case), else its built-in default, else "".
    CString Get(const char* key) const;
    bool Has(const char* key) const;
    // Keys read from the file, in file order.
    std::vector<CString> GetKeys() const;

    CString GetLoginServer() const { return Get("LoginServer"); }
    CString GetApiServer() const { return Get("ApiServer"); }
    CString GetStreamerServer() const { return Get("StreamerServer"); }
    CString GetHistoryServer() const { return Get("HistoryServer"); }
    CString GetUpdateFile() const { return Get("UpdateFile"); }

    // Built-in default of a server key, or null for other keys.
    static const char* GetDefault(const char* key);

private:
    struct Entry {
        CString key;
        CString value;
    };
    const Entry* Find(const char* key) const;

    std::vector<Entry> m_entries;
};
