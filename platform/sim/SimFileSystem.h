// The files of the simulated machine: the medium's and the system's. A file is
// either data (with text, for profile files) or a program with what it does
// when it is started. Paths follow the Windows rules of WindowsPath.h in the
// machine's ANSI code page.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/sim/CodePage.h"

struct ProgramBehavior {
    // Nonzero: the system refuses to start it, with this error code.
    std::uint32_t startError = 0;
    std::uint32_t exitCode = 0;
};

struct SimFile {
    bool isProgram = false;
    ProgramBehavior program;
    std::string text;
};

class SimFileSystem {
public:
    void SetCodePage(unsigned codePage) { m_codePage = codePage; }
    unsigned CodePage() const { return m_codePage; }

    void AddFile(const std::string& path, SimFile file);
    void AddFolder(const std::string& path);

    // `path` is absolute; it is normalised before it is looked up.
    const SimFile* Find(const std::string& path) const;
    bool FolderExists(const std::string& path) const;

    // The Windows error for a file that is not there: the file, or its folder.
    std::uint32_t MissingFileError(const std::string& path) const;

    // GetFileAttributesA of an absolute path: FILE_ATTRIBUTE_ARCHIVE for a
    // file (what a file copied to a medium carries), FILE_ATTRIBUTE_DIRECTORY
    // for a folder, else INVALID_FILE_ATTRIBUTES with `error` set as Windows
    // sets it.
    std::uint32_t Attributes(const std::string& path, std::uint32_t& error) const;

private:
    std::string Key(const std::string& path) const;

    unsigned m_codePage = codepage::kWestern;
    std::map<std::string, SimFile> m_files;   // by folded path
    std::set<std::string> m_folders;          // folded
};
