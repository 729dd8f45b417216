#include "platform/sim/ProfileFile.h"

#include "platform/sim/CodePage.h"

namespace {

std::string_view Trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Section and key names are no paths: only letter case is ignored.
bool SameName(std::string_view a, std::string_view b, unsigned codePage)
{
    return codepage::FoldCase(codePage, a) == codepage::FoldCase(codePage, b);
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view fileText, std::string_view section,
                                            std::string_view key, unsigned codePage)
{
    bool inSection = false;
    bool sectionSeen = false;
    while (!fileText.empty()) {
        const auto end = fileText.find('\n');
        std::string_view line = Trim(fileText.substr(0, end));
        fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);

        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            if (sectionSeen && inSection)
                return std::nullopt; // only the first section of the name counts
            inSection = SameName(name, section, codePage);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const auto equals = line.find('=');
        const std::string_view name = Trim(line.substr(0, equals));
        if (!SameName(name, key, codePage))
            continue;
        if (equals == std::string_view::npos)
            return std::string();
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}
