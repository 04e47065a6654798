// The named collections of the framework.
#pragma once

#include "platform/core/CArray.h"
#include "platform/core/CList.h"
#include "platform/core/CMap.h"
#include "platform/core/CString.h"

class CStringArray : public CArray<CString, const CString&> {};
class CPtrArray : public CArray<void*, void*> {};
class CByteArray : public CArray<BYTE, BYTE> {};
class CWordArray : public CArray<WORD, WORD> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CUIntArray : public CArray<UINT, UINT> {};

class CPtrList : public CList<void*, void*> {};
class CStringList : public CList<CString, const CString&> {};

class CMapStringToPtr : public CMap<CString, const char*, void*, void*> {};
class CMapStringToString : public CMap<CString, const char*, CString, const char*> {};
class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {};
class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {};
class CMapPtrToWord : public CMap<void*, void*, WORD, WORD> {};
class CMapStringToWord : public CMap<CString, const char*, WORD, WORD> {};
