#include "platform/sim/EffectTrace.h"

std::vector<nlohmann::json> EffectTrace::OfKind(const std::string& kind) const
{
    std::vector<nlohmann::json> found;
    for (const auto& effect : m_effects) {
        if (effect.value("effect", "") == kind)
            found.push_back(effect);
    }
    return found;
}

std::string EffectTrace::ToJsonLines() const
{
    std::string lines;
    for (const auto& effect : m_effects)
        lines += effect.dump() + "\n";
    return lines;
}
