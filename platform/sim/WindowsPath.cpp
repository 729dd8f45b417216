#include "platform/sim/WindowsPath.h"

#include <vector>

namespace winpath {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool AllDots(std::string_view part)
{
    return !part.empty() && part.find_first_not_of('.') == std::string_view::npos;
}

} // namespace

std::string Normalize(std::string_view path, unsigned codePage)
{
    // The root, which ".." never leaves: "C:\", "\\server\share\", or "\".
    std::string root;
    std::size_t at = 0;
    if (path.size() >= 2 && path[1] == ':') {
        root = std::string(path.substr(0, 2));
        at = 2;
        if (at < path.size() && IsSeparator(path[at])) {
            root += '\\';
            ++at;
        }
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // Server and share name.
        at = 2;
        for (int part = 0; part < 2 && at < path.size(); ++part) {
            while (at < path.size() && !IsSeparator(path[at]))
                at += codepage::CharLength(codePage, path, at);
            if (at < path.size())
                ++at;
        }
        root = std::string(path.substr(0, at));
        for (char& c : root) {
            if (c == '/')
                c = '\\';
        }
        if (root.back() != '\\')
            root += '\\';
    } else if (!path.empty() && IsSeparator(path[0])) {
        root = "\\";
        at = 1;
    }

    std::vector<std::string> parts;
    std::string current;
    const auto endPart = [&](bool last) {
        std::string part = current;
        current.clear();
        if (part.empty() || part == ".")
            return;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            return;
        }
        if (last) {
            while (!part.empty() && (part.back() == '.' || part.back() == ' '))
                part.pop_back();
            if (part.empty())
                return;
        } else if (!AllDots(part) && part.back() == '.') {
            part.pop_back();
        }
        parts.push_back(part);
    };
    while (at < path.size()) {
        const std::size_t length = codepage::CharLength(codePage, path, at);
        if (length == 1 && IsSeparator(path[at])) {
            // A part followed only by separators is still the last part.
            std::size_t next = at;
            while (next < path.size() && IsSeparator(path[next]))
                ++next;
            endPart(next == path.size());
            at = next;
            continue;
        }
        current.append(path.substr(at, length));
        at += length;
    }
    endPart(true);

    std::string result = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i != 0)
            result += '\\';
        result += parts[i];
    }
    return result;
}

std::string Fold(std::string_view path, unsigned codePage)
{
    std::string folded = codepage::FoldCase(codePage, Normalize(path, codePage));
    while (folded.size() > 3 && folded.back() == '\\')
        folded.pop_back();
    return folded;
}

bool IsAbsolute(std::string_view path)
{
    const bool drive = path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]);
    const bool unc = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    return drive || unc;
}

std::string Parent(std::string_view path, unsigned codePage)
{
    const auto at = codepage::FindLastOf(codePage, path, "\\/");
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at));
}

std::string FileName(std::string_view path, unsigned codePage)
{
    const auto at = codepage::FindLastOf(codePage, path, "\\/");
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string Resolve(std::string_view folder, std::string_view name)
{
    if (IsAbsolute(name))
        return std::string(name);
    std::string joined(folder);
    if (!joined.empty() && !IsSeparator(joined.back()))
        joined += '\\';
    return joined + std::string(name);
}

std::string FullPath(std::string_view folder, std::string_view name, unsigned codePage)
{
    return Normalize(Resolve(folder, name), codePage);
}

bool TooLong(std::string_view fullPath) { return fullPath.size() >= kMaxPath; }

} // namespace winpath
