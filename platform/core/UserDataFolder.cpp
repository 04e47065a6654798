#include "platform/core/UserDataFolder.h"

#include "platform/core/CFile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace {
CString homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

CString withoutTrailingSlash(CString path)
{
    while (path.GetLength() > 1 && path[path.GetLength() - 1] == '/')
        path.Delete(path.GetLength() - 1);
    return path;
}

bool makeFolder(const std::filesystem::path& path, CString* error)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (!ec && std::filesystem::is_directory(path, ec))
        return true;
    if (error) {
        error->Format("Cannot create the folder %s (%s)", path.c_str(),
                      ec ? ec.message().c_str() : "a file of that name exists");
    }
    return false;
}
}  // namespace

CString ResolveUserDataFolder(const char* explicitFolder)
{
    if (explicitFolder && *explicitFolder)
        return withoutTrailingSlash(CFile::NormalizePath(explicitFolder));
    if (const char* env = std::getenv("QX_HOME"); env && *env)
        return withoutTrailingSlash(CFile::NormalizePath(env));
    return withoutTrailingSlash(homeFolder()) + "/.local/share/Quorvantelix";
}

bool PrepareUserDataFolder(const char* folder, CString* error)
{
    if (!folder || !*folder) {
        if (error)
            *error = "No user data folder";
        return false;
    }
    const std::filesystem::path root(folder);
    if (!makeFolder(root, error))
        return false;
    for (const char* sub : kDataSubfolders) {
        if (!makeFolder(root / sub, error))
            return false;
    }
    return true;
}
