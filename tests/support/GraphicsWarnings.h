// Warnings of Qt's graphics stack. A window whose OpenGL surface was lost still answers
// the window manager but no longer paints: such a warning fails the test that saw it.
#pragma once

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace qx::testsupport {

inline bool IsGraphicsWarning(std::string_view text)
{
    static constexpr std::array<std::string_view, 3> kSigns = {"makeCurrent", "Expect bad things to happen", "QRhi"};
    for (std::string_view sign : kSigns)
        if (text.find(sign) != std::string_view::npos)
            return true;
    return false;
}

// The graphics warnings in the program's log under a user data folder, its older rotated
// files first.
inline std::vector<std::string> GraphicsWarningsInLog(const std::filesystem::path& home)
{
    std::vector<std::string> found;
    for (const char* name : {"Quorvantelix.log.3", "Quorvantelix.log.2", "Quorvantelix.log.1", "Quorvantelix.log"}) {
        std::ifstream log(home / name);
        for (std::string line; std::getline(log, line);)
            if (IsGraphicsWarning(line))
                found.push_back(line);
    }
    return found;
}

}  // namespace qx::testsupport
