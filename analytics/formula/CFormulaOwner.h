// What a formula's owner (an alert) offers the engine: its trigger state and Fire.
#pragma once

class CFormulaOwner {
public:
    virtual ~CFormulaOwner() = default;
    // Listeners and the timer evaluate only while this is 0.
    virtual int GetTriggerState() const = 0;
    // The formula turned true. Runs on the engine's threads; must not destroy the formula.
    virtual void Fire() = 0;
};
