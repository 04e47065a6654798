// The time and sales layout file (".tsl") and workspace record from arbitrary bytes.
#include "tests/fuzz/views/ListLayoutFuzzer.h"
#include "views/ListWorkspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzListLayout(data, size, 8);
    FuzzRecord<CTimeSalesRecord>(data, size, ReadTimeSalesRecord, WriteTimeSalesRecord);
    return 0;
}
