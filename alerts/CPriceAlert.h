// A quote field of the symbol compared with a target: fires once when the field reaches
// the target from the chosen side, then stays silent until reset.
#pragma once

#include "alerts/CAlert.h"

class CPriceAlert : public CAlert {
public:
    CPriceAlert();
    CPriceAlert(const CPriceAlert& other);
    // Releases the handle first: its listener calls into this part.
    ~CPriceAlert() override;

    void GetConditionText(CString& text) const override;
    void Activate() override;
    void Fire() override;
    void TypeXml(CString& text) const override;
    void FromXml(const TiXmlElement* element) override;

    // The listener's check of one quote change: fires when the field meets the target.
    void Check(const CSymbolHandle& handle);

    int m_nColumn = 0;     // quote field id
    double m_target = 0;
    int m_nDirection = 0;  // 0 at or above, 1 at or below
    std::atomic<double> m_lastValue{0};
};

// "Open", "High", "Low", "Last" ... for the quote field ids 0 to 11; "" for others.
const char* PriceFieldName(int column);
// ">=" for 0, "<=" for 1, "" otherwise.
const char* PriceDirectionName(int direction);
