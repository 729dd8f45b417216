// setting-check: reads a medium's "Setting.ini" as the launcher does and reports
// what will not work, compiler style.
#include <iostream>
#include <string>

#include "tools/authoring/Medium.h"
#include "tools/authoring/SettingCheck.h"

namespace {

const char* const kUsage = R"(usage: setting-check [--settings-only] [--program-folder FOLDER] MEDIUM

Reads MEDIUM's "Setting.ini" exactly as Setup.exe does and reports what will
not work, one finding a line, "Setting.ini:LINE: warning: ..." or "error: ...".
MEDIUM is the medium's folder, or its "Setting.ini" file.

  --settings-only          check the file alone, not the installers and
                           packages it names on the medium
  --program-folder FOLDER  where Setup.exe lies when command lengths are
                           measured (default D:, the root of a drive)
  --help                   this text

Exit status: 0 without errors (warnings allowed), 1 with errors, 2 when the
medium cannot be read or the command line is wrong.
)";

} // namespace

int main(int argc, char** argv)
{
    CheckOptions options;
    bool checkFiles = true;
    std::string mediumArgument;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--settings-only") {
            checkFiles = false;
        } else if (argument == "--program-folder" && i + 1 < argc) {
            options.programFolder = argv[++i];
            while (!options.programFolder.empty() &&
                   (options.programFolder.back() == '\\' || options.programFolder.back() == '/'))
                options.programFolder.pop_back();
        } else if (!argument.empty() && argument[0] == '-') {
            std::cerr << "setting-check: unknown option " << argument << "\n" << kUsage;
            return 2;
        } else if (mediumArgument.empty()) {
            mediumArgument = argument;
        } else {
            std::cerr << "setting-check: one medium at a time\n" << kUsage;
            return 2;
        }
    }
    if (mediumArgument.empty()) {
        std::cerr << "setting-check: no medium given\n" << kUsage;
        return 2;
    }

    Medium medium;
    std::string error;
    if (!LoadMedium(mediumArgument, medium, error)) {
        std::cerr << "setting-check: " << error << "\n";
        return 2;
    }
    int errors = 0;
    int warnings = 0;
    for (const Diagnostic& diagnostic : CheckSettings(medium, options, checkFiles)) {
        std::cout << FormatDiagnostic(medium.settingsShown, diagnostic) << "\n";
        (diagnostic.severity == Diagnostic::Severity::Error ? errors : warnings) += 1;
    }
    std::cout << medium.settingsShown << ": " << errors << (errors == 1 ? " error, " : " errors, ") << warnings
              << (warnings == 1 ? " warning" : " warnings") << "\n";
    return errors > 0 ? 1 : 0;
}
