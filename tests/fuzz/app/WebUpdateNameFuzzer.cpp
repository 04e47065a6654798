// The local name of a web-update download made from any URL: never a path, never a
// hidden or special name, never outside the folder it is put in.
#include "app/shell/CWebUpdateFileName.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string url(reinterpret_cast<const char*>(data), size);
    const std::string name = FileNameOfUrl(CString(url)).str();
    FuzzCheck(!name.empty() && name.size() <= 128 && name.front() != '.');
    for (const char c : name)
        FuzzCheck((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '_' || c == '-' || c == '+');
    const std::filesystem::path folder = "/tmp/QxTemp";
    const std::filesystem::path file = (folder / name).lexically_normal();
    FuzzCheck(file.parent_path() == folder && file.filename() == name);
    return 0;
}
