#include "tools/authoring/Medium.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/sim/WindowsPath.h"

namespace fs = std::filesystem;

namespace {

// The separator the user writes: "\" when the argument holds one and no "/".
char SeparatorOf(const std::string& argument)
{
    return argument.find('\\') != std::string::npos && argument.find('/') == std::string::npos
               ? '\\'
               : '/';
}

std::string JoinShown(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder == ".")
        return name;
    const char last = folder.back();
    if (last == '/' || last == '\\')
        return folder + name;
    return folder + SeparatorOf(folder) + name;
}

bool ReadText(const fs::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return false;
    text = content.str();
    return true;
}

} // namespace

bool Medium::Has(const std::string& relativePath) const { return !Spelling(relativePath).empty(); }

std::string Medium::Spelling(const std::string& relativePath) const
{
    const std::string wanted = winpath::Fold(relativePath);
    for (const std::string& file : files) {
        if (winpath::Fold(file) == wanted)
            return file;
    }
    return std::string();
}

bool LoadMedium(const std::string& argument, Medium& medium, std::string& error)
{
    std::error_code failure;
    const fs::path given(argument);
    const fs::file_status status = fs::status(given, failure);
    if (failure || !fs::exists(status)) {
        error = "cannot open medium " + argument + ": no such file or folder";
        return false;
    }
    fs::path folder = given;
    fs::path settings;
    medium.folder = argument;
    if (fs::is_regular_file(status)) {
        folder = given.parent_path().empty() ? fs::path(".") : given.parent_path();
        settings = given;
        medium.folder = given.parent_path().string();
        medium.settingsShown = argument;
    } else if (!fs::is_directory(status)) {
        error = "cannot open medium " + argument + ": neither a folder nor a file";
        return false;
    }

    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          failure);
    if (failure) {
        error = "cannot read medium folder " + medium.folder + ": " + failure.message();
        return false;
    }
    for (; walk != fs::recursive_directory_iterator(); walk.increment(failure)) {
        if (failure)
            break;
        if (!walk->is_regular_file(failure))
            continue;
        std::string relative = walk->path().lexically_relative(folder).generic_string();
        for (char& c : relative) {
            if (c == '/')
                c = '\\';
        }
        medium.files.push_back(relative);
        // The launcher reads "Setting.ini" beside it, in whatever letter case
        // the medium spells it.
        if (settings.empty() && winpath::Fold(relative) == "setting.ini") {
            settings = walk->path();
            medium.settingsShown = JoinShown(argument, relative);
        }
    }
    if (failure) {
        error = "cannot read medium folder " + medium.folder + ": " + failure.message();
        return false;
    }
    if (medium.settingsShown.empty())
        medium.settingsShown = JoinShown(argument, "Setting.ini");
    if (!settings.empty()) {
        if (!ReadText(settings, medium.settingsText)) {
            error = "cannot read " + medium.settingsShown;
            return false;
        }
        medium.hasSettings = true;
    }
    std::sort(medium.files.begin(), medium.files.end());
    return true;
}
