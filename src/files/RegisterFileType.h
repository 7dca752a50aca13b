// Associates sequence files with this program for the current user, through
// the platform's shell back end.
#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

namespace files {

// The name of the program's icon in the desktop's icon theme.
constexpr const char* kIconName = "quorvel";

// Applies the file-type rules (FileTypeRules.h) to the arguments and hands the
// result to `shell`. Returns 1 when the shell wrote everything; 0 when the
// extension or the description is empty once its spaces are removed, or the
// executable path cannot be used in an open command (nothing is written
// then), or the shell reported a failure. When `outcome` is given it receives
// the reason for a 0 (the shell's own result where it was called).
int registerFileType(platform::Shell& shell, std::string extension, std::string description,
                     const std::string& executablePath, std::vector<platform::IconImage> icons,
                     platform::Result* outcome = nullptr);

} // namespace files
