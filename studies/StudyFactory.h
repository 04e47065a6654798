// Making studies: by type id, from a study call of a strategy's formula, and from their
// saved form; the names and order of the Add menus.
#pragma once

#include "platform/core/Collections.h"
#include "platform/core/CString.h"
#include "studies/CStudyDefinition.h"

#include <memory>

class CArchive;

// A new study of the type with the given override (the horizontal line and the equity
// curve always get none). An id outside 170..199 tells the user "Error: unimplemented
// study" and gives null. 175 makes an exponential moving average of type 174.
std::unique_ptr<CStudyDefinition> CreateStudyById(WORD typeId, const CString& symbolOverride);

// The study of a strategy's study call (function name, the output field named in the
// call, the call's parameter texts), with no override. Null, without a message, for a
// function that is no study's, and when the study refuses the parameters.
std::unique_ptr<CStudyDefinition> CreateStudyFromCall(const CString& function, const CString& field,
                                                      const CStringArray* args);

// The Add-menu text of a type id ("Volume" ... "Equity Curve"), or null outside 170..199.
const char* GetStudyTypeName(int typeId);

// Entries of the Add menus in order: type ids, and kStudyMenuSeparator for a separator.
inline constexpr DWORD kStudyMenuSeparator = 2048;
inline constexpr DWORD kStudyAddMenuOrder[] = {198, 172, 180, 197, 183, 192, 174, 191, 196, kStudyMenuSeparator,
                                               193, 195, 185, 184, 194, 189, 173, 171, 199, 176,
                                               177, 186, 179, 178, 181, 182, 187, 190, 170};

// The saved form: DWORD type id, then the study's own part.
void StoreStudy(CArchive& ar, const CStudyDefinition& study);
// Reads a saved form written for a layout of the given version. Null when the type id is
// unknown (the user is told) or the study refuses the version; the rest of the archive
// cannot be read then. Archive errors throw.
std::unique_ptr<CStudyDefinition> LoadStudy(CArchive& ar, int version);
