#include "files/RegisterFileType.h"

#include "files/FileTypeRules.h"

#include <optional>
#include <utility>

namespace files {

namespace {
// Windows numbering, as every platform result: an argument that cannot be used.
constexpr std::uint32_t kErrorInvalidParameter = 87;
} // namespace

int registerFileType(platform::Shell& shell, std::string extension, std::string description,
                     const std::string& executablePath, std::vector<platform::IconImage> icons,
                     platform::Result* outcome)
{
    platform::Result result;
    const std::optional<std::string> typeName = typeNameFor(description);
    const std::optional<std::string> dottedExtension = normalisedExtension(extension);
    const std::optional<std::string> openCommand = openCommandFor(executablePath);

    if (!typeName || !dottedExtension) {
        result = platform::Result::failure(kErrorInvalidParameter, "the file type has no extension or no description");
    } else if (!openCommand) {
        result = platform::Result::failure(kErrorInvalidParameter,
                                           "the program's path cannot be used to open files: " + executablePath);
    } else {
        platform::FileTypeRegistration registration;
        registration.extension = *dottedExtension;
        registration.typeName = *typeName;
        registration.description = std::move(description);
        registration.openCommand = *openCommand;
        registration.iconValue = iconValueFor(*openCommand);
        registration.executablePath = executablePath;
        registration.iconName = kIconName;
        registration.icons = std::move(icons);
        result = shell.registerFileType(registration);
    }

    const int done = result.ok ? 1 : 0;
    if (outcome)
        *outcome = std::move(result);
    return done;
}

} // namespace files
