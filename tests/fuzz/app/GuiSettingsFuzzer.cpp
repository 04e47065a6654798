// gui.dat as arbitrary bytes, read through the settings object as at start-up
// (fonts, list colours, colour scheme, drawing defaults, symbol groups,
// intervals). A file that loads is written out; that file loads and writes
// out byte for byte the same. Every input starts from an empty folder: the
// damaged files the settings set aside would otherwise pile up.
#include "common/services/CAppSettings.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::filesystem::path& Folder()
{
    // Never destroyed: the exit handler below still needs it.
    static const std::filesystem::path& folder = *new std::filesystem::path([] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        const std::filesystem::path p = base / ("qx-gui-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return p;
    }());
    return folder;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Loads the folder's files; the gui.dat that the settings write back, or "" when it did not load.
std::string LoadAndWrite()
{
    CAppSettings settings;
    settings.SetWorkingDirectory(CString(Folder().string()));
    settings.LoadAll();
    if (settings.GetFileState(kFileGui) != EUserFileState::kLoaded)
        return std::string();
    if (!settings.SaveGui())
        std::abort();
    return ReadAll(Folder() / "gui.dat");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
    {
        std::ofstream out(Folder() / "gui.dat", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string once = LoadAndWrite();
    if (!once.empty() && LoadAndWrite() != once)
        std::abort();
    return 0;
}
