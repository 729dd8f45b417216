#include "platform/sim/SimFileSystem.h"

#include "platform/WinConstants.h"
#include "platform/sim/WindowsPath.h"

std::string SimFileSystem::Key(const std::string& path) const
{
    return winpath::Fold(path, m_codePage);
}

void SimFileSystem::AddFile(const std::string& path, SimFile file)
{
    const std::string key = Key(path);
    AddFolder(winpath::Parent(key, m_codePage));
    m_files[key] = std::move(file);
}

void SimFileSystem::AddFolder(const std::string& path)
{
    for (std::string folder = Key(path); !folder.empty();
         folder = winpath::Parent(folder, m_codePage)) {
        m_folders.insert(folder);
        if (folder.size() <= 3)
            break; // a drive root such as "c:" or "c:\"
    }
}

const SimFile* SimFileSystem::Find(const std::string& path) const
{
    const auto found = m_files.find(Key(path));
    return found == m_files.end() ? nullptr : &found->second;
}

bool SimFileSystem::FolderExists(const std::string& path) const
{
    const std::string folded = Key(path);
    return m_folders.count(folded) != 0 || m_folders.count(folded + "\\") != 0 ||
           (folded.size() == 3 && m_folders.count(folded.substr(0, 2)) != 0);
}

std::uint32_t SimFileSystem::MissingFileError(const std::string& path) const
{
    const std::string parent = winpath::Parent(winpath::Normalize(path, m_codePage), m_codePage);
    return parent.empty() || FolderExists(parent) ? win::ERROR_FILE_NOT_FOUND
                                                  : win::ERROR_PATH_NOT_FOUND;
}

std::uint32_t SimFileSystem::Attributes(const std::string& path, std::uint32_t& error) const
{
    // Wildcards and the characters that no file name may hold.
    if (path.empty() || path.find_first_of("*?\"<>|") != std::string::npos) {
        error = path.empty() ? win::ERROR_PATH_NOT_FOUND : win::ERROR_INVALID_NAME;
        return win::INVALID_FILE_ATTRIBUTES;
    }
    if (Find(path) != nullptr)
        return win::FILE_ATTRIBUTE_ARCHIVE;
    if (FolderExists(path))
        return win::FILE_ATTRIBUTE_DIRECTORY;
    error = MissingFileError(path);
    return win::INVALID_FILE_ATTRIBUTES;
}
