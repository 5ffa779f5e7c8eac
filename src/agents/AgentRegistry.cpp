#include "AgentRegistry.h"

#include "CodexProvider.h"
#include "HermesProvider.h"
#include "OsaurusProvider.h"

namespace fray::AgentRegistry {

ProviderList available(const std::string& home) {
    ProviderList all{std::make_shared<CodexProvider>(home), std::make_shared<HermesProvider>(home),
                     std::make_shared<OsaurusProvider>(home)};
    ProviderList out;
    for (auto& p : all)
        if (p->isAvailable()) out.push_back(std::move(p));
    return out;
}

} // namespace fray::AgentRegistry
