#include "platform/sim/EffectTrace.h"

#include "platform/sim/CodePage.h"

namespace {

void TextsToUtf8(nlohmann::json& value, unsigned codePage)
{
    if (value.is_string()) {
        const std::string& bytes = value.get_ref<const std::string&>();
        for (unsigned char c : bytes) {
            if (c >= 0x80) {
                value = codepage::ToUtf8(codePage, bytes);
                break;
            }
        }
    } else if (value.is_structured()) {
        for (auto& member : value)
            TextsToUtf8(member, codePage);
    }
}

} // namespace

void EffectTrace::Record(nlohmann::json effect)
{
    TextsToUtf8(effect, m_codePage);
    m_effects.push_back(std::move(effect));
}

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
