#include "app/LauncherApp.h"

#include "platform/WinConstants.h"
#include "text/Text.h"

int CLauncherApp::HasExtension(const char* text, char character, const char* extension) const
{
    // By characters of the ANSI code page, like the program folder.
    const char set[2] = {character, '\0'};
    const char* from = text::FindLastOf(m_os, text, set);
    if (from == nullptr)
        return 0;
    for (; *from == *extension; ++from, ++extension) {
        if (*from == '\0')
            return 1;
    }
    return 0;
}

void CLauncherApp::LaunchAdditionalPackages(const char* programFolder, const char* hotfixParams)
{
    const LauncherSettings& s = Settings;
    const LauncherSettings::Text* list = nullptr;
    if (IsWinNT6)
        list = Is64BitOS ? s.AnotherAPVistax64Exe : s.AnotherAPVistax86Exe;
    else
        list = Is64BitOS ? s.AnotherAPXPx64Exe : s.AnotherAPXPx86Exe;
    // Vista SP1 and Windows 7 bring these updates already.
    const bool skipUpdates = IsWinNT6 && (IsVistaSP1 || IsWin7);

    for (std::int32_t index = 0; index < s.AnotherAPNum && index < LauncherSettings::kPackageSlots;
         ++index) {
        const char* entry = list[index];
        if (entry[0] == '\0')
            continue;

        if (HasExtension(entry, '.', ".msu")) {
            if (skipUpdates)
                continue;
            // An update package is not waited for; a file path that does not
            // fit is passed over like one the shell refuses.
            PathText file;
            if (IsCutText(entry) || !text::Join(file, {programFolder, "\\", entry}))
                continue;
            const win::INT_PTR result = m_os.ShellExecuteA(
                nullptr, "open", file, s.HotfixSilenceMode ? hotfixParams : nullptr, nullptr,
                win::SW_SHOW);
            if (static_cast<std::int32_t>(result) > 32)
                HotfixLaunched = 1;
        } else {
            // An entry may carry arguments of its own ("Tool.exe /S").
            PathText command;
            if (IsCutText(entry) || IsCutText(s.LaunchAnotherAPParam) ||
                !text::Join(command, {programFolder, "\\", entry, " ", s.LaunchAnotherAPParam}))
                command[0] = '\0';
            RunInstaller(command, NameStart(programFolder));
        }
    }
}
