// The time-unit field names of study sources: "Second" 100 .. "DayOfWeek" 108.
#pragma once

constexpr int kFirstTimeUnitField = 100;
constexpr int kLastTimeUnitField = 108;

// Rebuilds the process-wide name map (at start-up).
void InitTimeUnitNames();
// Field number of a time-unit name (exact), -1 for other names.
int FindTimeUnitField(const char* name);
