// The ordered record of everything the launcher did to the simulated machine.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class EffectTrace {
public:
    // Texts reach the trace as the machine's bytes, in its ANSI code page;
    // the trace holds them as UTF-8.
    void SetCodePage(unsigned codePage) { m_codePage = codePage; }
    void Record(nlohmann::json effect);
    const std::vector<nlohmann::json>& Effects() const { return m_effects; }

    // The effects of one kind ("create_process", "message_box", ...), in order.
    std::vector<nlohmann::json> OfKind(const std::string& kind) const;

    // One JSON object a line.
    std::string ToJsonLines() const;

private:
    unsigned m_codePage = 1252;
    std::vector<nlohmann::json> m_effects;
};

// A text argument as the trace shows it: null stays null.
inline nlohmann::json TextOrNull(const char* s) { return s ? nlohmann::json(s) : nlohmann::json(); }

// 8-bit text of any bytes, as the trace shows it: each byte is the character
// of the same number (so bytes that are not UTF-8 still make valid JSON).
std::string AnsiText(const std::string& bytes);
