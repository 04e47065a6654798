// A strategy: a named pair of formulas (entry and exit) with the action each stands for
// and the bar field that prices it, the position size and the interval at which the
// conditions are tested. Kept as one XML element, alone in a library file (.qxs) under
// "Strategies", or as a record of the old strategies.dat store.
#pragma once

#include "common/services/CAppSettings.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <string_view>
#include <vector>

class CArchive;
class TiXmlElement;

inline constexpr const char* kSharesFlag = "# Shares";
inline constexpr const char* kAmountFlag = "$ Amount";
// Library files larger than this are refused.
inline constexpr long kMaxStrategyFileBytes = 1 << 20;

class CStrategyDefinition {
public:
    // The "Strategy" element, CR LF line ends; texts in CDATA, the fixed words escaped.
    CString ToXml() const;
    // Fills the fields from the element's children; a missing one leaves its field.
    void FromXml(const TiXmlElement* strategy);
    // Name, both formula names and expressions, a quantity and an interval.
    bool IsComplete() const;
    bool IsLong() const { return m_entryAction == "Buy"; }
    bool ExitsLong() const { return m_exitAction == "Sell"; }

    bool operator==(const CStrategyDefinition& other) const = default;

    CString m_name;
    CString m_entryName;  // display names of the formulas
    CString m_exitName;
    CString m_entryExpression;
    CString m_exitExpression;
    int m_nEntryQuantity = 0;
    CString m_entryFlag;    // "# Shares" or "$ Amount"
    CString m_entryAction;  // "Buy" or "Sell Short"
    CString m_exitAction;   // "Sell" or "Buy to Cover"
    CString m_interval;     // "1", "5", ..., "D", "W", "M"
    int m_nOverrideInterval = 0;
    CString m_entryPriceType;  // "High", "Low", "Open" or "Close"
    CString m_exitPriceType;
};

// Which dialog reads a library file: their messages for an unreadable file differ.
enum class EStrategyFileReader { kSetup, kTrading };

// Writes the record's element as a library file through a temporary file. False with
// "Error opening file <path> for writing"; the old file then stays as it was.
bool WriteStrategyFile(const char* path, const CStrategyDefinition& strategy, CString& error);
// Reads the first "Strategy" element of a library file into a fresh record. False with
// "Error openning file <file>" ("Error opening file" for the trading dialog), "Error
// reading file <file>" or "Error parsing strategy: <parser text>"; out changes only on
// success.
bool ReadStrategyFile(const char* path, CStrategyDefinition& out, CString& error,
                      EStrategyFileReader reader = EStrategyFileReader::kSetup);
// The same from a file's text.
bool ParseStrategyText(std::string_view text, CStrategyDefinition& out, CString& error);

// Records of strategies.dat after its version: a count, then per record Name, entry and
// exit formula names, entry and exit expressions, EntryQuantity, EntryFlag, entry and
// exit actions and Interval. A damaged archive throws.
std::vector<CStrategyDefinition> ReadOldStrategies(CArchive& ar);
void WriteOldStrategies(CArchive& ar, const std::vector<CStrategyDefinition>& strategies);
// The settings' converter of strategies.dat: each record as its name and library text.
void InstallStrategyReader(CAppSettings& settings);
