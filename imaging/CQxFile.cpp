#include "imaging/CQxFile.h"

bool CQxFile::PutC(unsigned char c)
{
    return Write(&c, 1, 1) == 1;
}
