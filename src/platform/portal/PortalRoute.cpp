#include "platform/portal/PortalRoute.h"

#include <sstream>

namespace platform::portal {
namespace {

bool isKde(const std::string& currentDesktop)
{
    std::istringstream names(currentDesktop);
    for (std::string name; std::getline(names, name, ':');)
        if (name == "KDE")
            return true;
    return false;
}

} // namespace

PortalRoute notifyRoute(const std::string& currentDesktop, std::uint32_t remoteDesktopVersion)
{
    PortalRoute route;
    route.wholeWorkspace = isKde(currentDesktop);
    if (!route.wholeWorkspace && remoteDesktopVersion < 2) {
        route.motionSettleMs = 25;
        route.pressHoldMs = 30;
    }
    return route;
}

PortalRoute portalRoute(const std::string& currentDesktop, std::uint32_t remoteDesktopVersion, bool haveLibei)
{
    if (!haveLibei || remoteDesktopVersion < 2)
        return notifyRoute(currentDesktop, remoteDesktopVersion);
    PortalRoute route;
    route.eis = true;
    route.screenCast = false;
    return route;
}

} // namespace platform::portal
