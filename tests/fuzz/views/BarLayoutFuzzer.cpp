// The bar table layout file (".bl") and the bar and Level II workspace records from
// arbitrary bytes.
#include "tests/fuzz/views/ListLayoutFuzzer.h"
#include "views/ListWorkspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzListLayout(data, size, 7);
    FuzzRecord<CBarViewRecord>(data, size, ReadBarViewRecord, WriteBarViewRecord);
    FuzzRecord<CLevel2Record>(data, size, ReadLevel2Record, WriteLevel2Record);
    return 0;
}
