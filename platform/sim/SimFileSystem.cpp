#include "platform/sim/SimFileSystem.h"

#include "platform/WinConstants.h"
#include "platform/sim/WindowsPath.h"

void SimFileSystem::AddFile(const std::string& path, SimFile file)
{
    AddFolder(winpath::Parent(path));
    m_files[winpath::Fold(path)] = std::move(file);
}

void SimFileSystem::AddFolder(const std::string& path)
{
    for (std::string folder = winpath::Fold(path); !folder.empty(); folder = winpath::Parent(folder)) {
        m_folders.insert(folder);
        if (folder.size() <= 3)
            break; // a drive root such as "c:" or "c:\"
    }
}

const SimFile* SimFileSystem::Find(const std::string& path) const
{
    const auto found = m_files.find(winpath::Fold(path));
    return found == m_files.end() ? nullptr : &found->second;
}

bool SimFileSystem::FolderExists(const std::string& path) const
{
    const std::string folded = winpath::Fold(path);
    return m_folders.count(folded) != 0 || m_folders.count(folded + "\\") != 0;
}

std::uint32_t SimFileSystem::MissingFileError(const std::string& path) const
{
    const std::string parent = winpath::Parent(path);
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
