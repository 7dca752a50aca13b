// File-type registration on a freedesktop desktop, for the current user:
// a shared-mime-info package that names the type and its glob, a desktop
// entry that opens such files with this program, the program's icon in the
// hicolor theme, and the default association in mimeapps.list.
//
// Every file is written atomically and only when its content changes, so a
// registration repeated at every start leaves the files byte for byte as
// they were. The desktop's caches are refreshed with update-mime-database and
// update-desktop-database when those programs are installed.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace platform::x11 {

class XdgShell final : public Shell {
public:
    // The names this program uses on the desktop.
    static constexpr const char* kMimeType = "application/x-quorvel";
    // The desktop entry is named after the program's id, which the desktop
    // portal finds it by (see identifyToPortal); earlier
    // versions wrote it under the short name, which is taken away.
    static constexpr const char* kDesktopFileName = "com.corvane.quorvel.desktop"; // kApplicationId
    static constexpr const char* kFormerDesktopFileName = "quorvel.desktop";
    static constexpr const char* kMimePackageName = "quorvel.xml";
    static constexpr const char* kApplicationName = "Quorvel";

    // `toolTimeoutMs` bounds each run of a cache tool; one that takes longer
    // is killed and the registration reported as failed.
    explicit XdgShell(int toolTimeoutMs = 15000) : m_toolTimeoutMs(toolTimeoutMs) {}

    Result registerFileType(const FileTypeRegistration& registration) override;

private:
    int m_toolTimeoutMs;
};

std::unique_ptr<Shell> createXdgShell();

} // namespace platform::x11
