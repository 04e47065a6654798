// The application profile: sections of key=value settings kept in an INI file.
// Section and key names are case-insensitive. Every write replaces the file
// safely; lines that cannot be understood are skipped when it is read.
#pragma once

#include "platform/core/CString.h"

#include <mutex>
#include <string>
#include <vector>

inline constexpr const char* kProfileSettings = "Settings";
inline constexpr const char* kProfileWorkSpace = "WorkSpace";
inline constexpr const char* kProfileRecentFiles = "RecentFiles";
// File name of the profile inside the user data folder.
inline constexpr const char* kProfileFileName = "profile.ini";

class CProfile {
public:
    CProfile() = default;
    // Reads path (a missing file is an empty profile); writes go back to it.
    explicit CProfile(const char* path);

    void Load(const char* path);
    // Reads settings from text without a file behind them (writes stay in memory).
    void LoadFromText(std::string_view text);
    CString GetPath() const;

    CString GetProfileString(const char* section, const char* key, const char* defaultValue = "") const;
    // The stored number, or defaultValue when the key is missing or not a number.
    int GetProfileInt(const char* section, const char* key, int defaultValue) const;
    // A null value removes the key; a null key removes the whole section.
    // False when the file could not be written (the setting is kept in memory).
    BOOL WriteProfileString(const char* section, const char* key, const char* value);
    BOOL WriteProfileInt(const char* section, const char* key, int value);

    // The whole profile in its file form.
    std::string ToText() const;

    // Writes between BeginBatch and the matching EndBatch replace the file once, at the
    // end (false when that write failed).
    void BeginBatch();
    bool EndBatch();
    // The system error of the last failed write of the file (0 after a good one).
    int GetLastError() const;

private:
    struct Entry {
        CString key;
        CString value;
    };
    struct Section {
        CString name;
        std::vector<Entry> entries;
    };

    void Parse(std::string_view text);
    const Section* FindSection(const char* name) const;
    Section* FindSection(const char* name);
    bool Save();
    std::string FormatLocked() const;

    mutable std::mutex m_mutex;
    CString m_path;
    int m_nBatch = 0;
    int m_nLastError = 0;
    bool m_bBatchChanged = false;
    std::vector<Section> m_sections;
};

// The profile the application opened at start-up (none before that).
void SetAppProfile(CProfile* profile);
CProfile* GetAppProfile();
