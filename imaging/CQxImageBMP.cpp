#include "imaging/CQxImageBMP.h"

CQxImageBMP::CQxImageBMP() : CQxImage(QXIMAGE_FORMAT_BMP) {}
CQxImageBMP::~CQxImageBMP() = default;
bool CQxImageBMP::Decode(CQxFile*) { SetLastErrorText("Not a BMP"); return false; }
bool CQxImageBMP::Encode(CQxFile* hFile) { return !EncodeSafeCheck(hFile) && false; }
