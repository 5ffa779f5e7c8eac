#pragma once

#include "Accessibility.h"
#include "DisplayProvider.h"
#include "Paths.h"
#include "SoundOutput.h"
#include "UserInfo.h"
#include "Workspace.h"

#include <memory>

namespace fray {

// The process-wide OS facilities. The Linux backends are installed on first use;
// tests install fakes with setPlatform().
struct Platform {
    std::shared_ptr<DisplayProvider> displays;
    std::shared_ptr<SoundOutput> sounds;
    std::shared_ptr<UserInfo> user;
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<Workspace> workspace;
    Paths paths;
};

Platform& platform();
void setPlatform(Platform p);

} // namespace fray
