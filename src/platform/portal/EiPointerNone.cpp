// A build without libei (Debian 12 has none): the portal's Notify calls
// click instead, and an input connection is never asked for.
#include "platform/portal/EiPointer.h"

#include "platform/portal/PortalRequest.h"

#include <unistd.h>

namespace platform::portal {

EiPointer::EiPointer() = default;
EiPointer::~EiPointer() = default;

bool EiPointer::available()
{
    return false;
}

std::unique_ptr<EiPointer> EiPointer::connect(int fd, int, std::string& error)
{
    ::close(fd);
    error = "this build of Quorvel has no libei";
    return nullptr;
}

Result EiPointer::moveTo(int, int)
{
    return Result::failure(kErrorNotSupported, "this build of Quorvel has no libei");
}

Result EiPointer::button(unsigned, bool)
{
    return Result::failure(kErrorNotSupported, "this build of Quorvel has no libei");
}

Result EiPointer::finish(int)
{
    return Result::success();
}

} // namespace platform::portal
