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

std::string AnsiText(const std::string& bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text.push_back(c);
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}
