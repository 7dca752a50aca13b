#include "hotkeys/ProfileValueStore.h"

#include "framework/CWinApp.h"
#include "hotkeys/Profile.h"

namespace {

class ProfileValueStore final : public platform::ValueStore {
public:
    std::string value(const std::string& name) override
    {
        const CWinApp* app = AfxGetApp();
        return app ? app->GetProfileString(profile::kSection, QString::fromStdString(name)).toStdString()
                   : std::string();
    }

    bool setValue(const std::string& name, const std::string& value) override
    {
        CWinApp* app = AfxGetApp();
        return app && app->WriteProfileString(profile::kSection, QString::fromStdString(name),
                                              QString::fromStdString(value));
    }
};

} // namespace

platform::ValueStore& profileValueStore()
{
    static ProfileValueStore store;
    return store;
}
