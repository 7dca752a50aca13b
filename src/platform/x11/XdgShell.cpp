// Placeholder: registration is not written yet.
#include "platform/x11/XdgShell.h"

namespace platform::x11 {
namespace {
class PendingXdgShell final : public Shell {
public:
    Result registerFileType(const FileTypeRegistration&) override { return Result::success(); }
};
} // namespace

std::unique_ptr<Shell> createXdgShell()
{
    return std::make_unique<PendingXdgShell>();
}
} // namespace platform::x11
