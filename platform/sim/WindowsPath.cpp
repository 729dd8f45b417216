#include "platform/sim/WindowsPath.h"

namespace winpath {

std::string Fold(std::string_view path)
{
    std::string folded;
    folded.reserve(path.size());
    for (char c : path) {
        if (c == '/')
            c = '\\';
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        folded += c;
    }
    while (folded.size() > 3 && folded.back() == '\\')
        folded.pop_back();
    return folded;
}

bool IsAbsolute(std::string_view path)
{
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool unc = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
                     (path[1] == '\\' || path[1] == '/');
    return drive || unc;
}

namespace {

std::string_view::size_type LastSeparator(std::string_view path)
{
    return path.find_last_of("\\/");
}

} // namespace

std::string Parent(std::string_view path)
{
    const auto at = LastSeparator(path);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at));
}

std::string FileName(std::string_view path)
{
    const auto at = LastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string Resolve(std::string_view folder, std::string_view name)
{
    if (IsAbsolute(name))
        return std::string(name);
    std::string joined(folder);
    if (!joined.empty() && joined.back() != '\\' && joined.back() != '/')
        joined += '\\';
    return joined + std::string(name);
}

} // namespace winpath
