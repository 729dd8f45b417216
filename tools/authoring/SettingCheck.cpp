#include "tools/authoring/SettingCheck.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "app/LauncherApp.h"
#include "platform/sim/ProfileFile.h"
#include "platform/sim/WindowsPath.h"
#include "text/Text.h"
#include "tools/authoring/LauncherReading.h"

namespace {

using Severity = Diagnostic::Severity;

// The longest text the launcher keeps, and the longest command line.
constexpr std::size_t kTextLimit = LauncherSettings::kTextSize - 1;
constexpr std::size_t kCommandLimit = CLauncherApp::kPathSize - 1;
// The shortest hardware-ID pattern that names one maker: "USB\VID_xxxx".
constexpr std::size_t kVendorPatternLength = 12;
const char* const kSilenceSuffix = " Silence";

// The launcher's rule for an update package: the text from its last "." on
// is ".msu" exactly. (The settings are read in the single-byte page here.)
bool IsUpdatePackage(const std::string& entry)
{
    const std::size_t dot = entry.rfind('.');
    return dot != std::string::npos && entry.compare(dot, std::string::npos, ".msu") == 0;
}

const std::set<std::string>& NumberKeys()
{
    static const std::set<std::string> keys = {
        "deviceidnum",   "silencemode",           "enableaudioclass", "enablexpaudioclass",
        "delaudioregkey", "delaudioregkeymessage", "enableaudiovol",   "enabletimer",
        "waittimer",      "checkfinishinstall",    "anotherapnum",     "hotfixsilencemode",
        "mustreplugin",   "hotfixmustrebootmessage"};
    return keys;
}

// Texts from which the launcher forms paths and command lines.
bool FormsPath(const std::string& folded)
{
    return folded.rfind("setupvista", 0) == 0 || folded.rfind("setupxp", 0) == 0 ||
           folded.rfind("anotherap", 0) == 0 || folded == "launchanotherapparam";
}

// One line of the file, classified as GetPrivateProfileStringA's reading does.
struct IniLine {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    int number = 0;
    std::string name;       // section or key name, as spelt
    std::string section;    // the section a key lies in ("" before any)
    int sectionLine = 0;    // the line of that section's header
    bool inFirstConst = false;
    bool inLaterConst = false;
    std::size_t endOffset = 0; // where the line ends in the text, its newline included
};

std::string Trim(std::string s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.erase(s.begin());
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    return s;
}

std::vector<IniLine> ScanLines(const std::string& text)
{
    std::vector<IniLine> lines;
    std::size_t offset = 0;
    int number = 0;
    std::string section;
    int sectionLine = 0;
    bool sawConst = false;
    bool inFirstConst = false;
    bool inLaterConst = false;
    while (offset < text.size()) {
        const auto end = text.find('\n', offset);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        IniLine line;
        line.number = ++number;
        line.endOffset = next;
        const std::string content = Trim(text.substr(offset, next - offset - (end == std::string::npos ? 0 : 1)));
        offset = next;
        if (content.empty() || content.front() == ';') {
            lines.push_back(line);
            continue;
        }
        if (content.front() == '[') {
            const auto close = content.find(']');
            line.kind = IniLine::Kind::Section;
            line.name = Trim(content.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            section = line.name;
            sectionLine = line.number;
            const bool isConst = winpath::Fold(section) == "const";
            inFirstConst = isConst && !sawConst;
            inLaterConst = isConst && sawConst;
            sawConst = sawConst || isConst;
            lines.push_back(line);
            continue;
        }
        line.kind = IniLine::Kind::Key;
        line.name = Trim(content.substr(0, content.find('=')));
        line.section = section;
        line.sectionLine = sectionLine;
        line.inFirstConst = inFirstConst;
        line.inLaterConst = inLaterConst;
        lines.push_back(line);
    }
    return lines;
}

std::size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A key name without its trailing decimal index, and the index (-1: none).
std::pair<std::string, long> SplitIndex(const std::string& folded)
{
    std::size_t digits = folded.size();
    while (digits > 0 && folded[digits - 1] >= '0' && folded[digits - 1] <= '9')
        --digits;
    if (digits == folded.size() || folded.size() - digits > 9)
        return {folded, -1};
    return {folded.substr(0, digits), std::stol(folded.substr(digits))};
}

struct Flavour {
    const char* name;
    const char* pathKey;
    const char* exeKey;
    const char* listKey;
    bool isXP;
};

const Flavour kFlavours[] = {
    // name                       installer folder     installer file      package list            XP
    {"Windows XP (32-bit)",       "SetupXPx86Path",    "SetupXPx86Exe",    "AnotherAPXPx86Exe",    true},
    {"Windows XP (64-bit)",       "SetupXPx64Path",    "SetupXPx64Exe",    "AnotherAPXPx64Exe",    true},
    {"Windows Vista and later (32-bit)", "SetupVistax86Path", "SetupVistax86Exe", "AnotherAPVistax86Exe", false},
    {"Windows Vista and later (64-bit)", "SetupVistax64Path", "SetupVistax64Exe", "AnotherAPVistax64Exe", false},
};

class Checker {
public:
    Checker(const Medium& medium, const CheckOptions& options)
        : m_medium(medium), m_options(options), m_text(medium.settingsText),
          m_reading(ReadAsLauncher(medium.settingsText, options.programFolder))
    {
        for (const std::string& key : AllLauncherKeys()) {
            const std::string folded = winpath::Fold(key);
            m_known.insert(folded);
            const auto [base, index] = SplitIndex(folded);
            if (index >= 0)
                m_indexedBases.insert(base);
        }
        for (const std::string& key : m_reading.keysRead)
            m_read.insert(winpath::Fold(key));
    }

    std::vector<Diagnostic> Run(bool checkFiles)
    {
        if (!m_medium.hasSettings) {
            Add(Severity::Error, 0, "no Setting.ini on the medium: every key takes its default");
        } else {
            m_lines = ScanLines(m_text);
            FindWinners();
            CheckLines();
            CheckNumbers();
            CheckCounts();
            CheckPatterns();
            CheckCutTexts();
        }
        CheckInstallers(checkFiles);
        CheckPackages(checkFiles);
        CheckTimer();
        std::stable_sort(m_found.begin(), m_found.end(), [](const Diagnostic& a, const Diagnostic& b) {
            return (a.line == 0 ? INT32_MAX : a.line) < (b.line == 0 ? INT32_MAX : b.line);
        });
        return m_found;
    }

private:
    void Add(Severity severity, int line, std::string message)
    {
        m_found.push_back({severity, line, std::move(message)});
    }

    // The line whose value the launcher reads for `key`; 0 when none.
    int LineOf(const std::string& key) const
    {
        const auto found = m_winners.find(winpath::Fold(key));
        return found == m_winners.end() ? 0 : found->second;
    }

    std::optional<std::string> Raw(const std::string& key) const
    {
        std::string value;
        if (!RawProfileValue(m_text, key, value))
            return std::nullopt;
        return value;
    }

    // The line of each key that the launcher's reader takes: the first line
    // whose text, read up to it, gives the key a value.
    void FindWinners()
    {
        std::size_t previousEnd = 0;
        for (const IniLine& line : m_lines) {
            if (line.kind == IniLine::Kind::Key) {
                const std::string folded = winpath::Fold(line.name);
                if (m_winners.count(folded) == 0 &&
                    FindProfileValue(std::string_view(m_text).substr(0, line.endOffset), "Const", line.name) &&
                    !FindProfileValue(std::string_view(m_text).substr(0, previousEnd), "Const", line.name))
                    m_winners[folded] = line.number;
            }
            previousEnd = line.endOffset;
        }
    }

    std::string Suggestion(const std::string& folded) const
    {
        std::string best;
        std::size_t bestDistance = SIZE_MAX;
        for (const std::string& key : AllLauncherKeys()) {
            const std::size_t distance = EditDistance(folded, winpath::Fold(key));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = key;
            }
        }
        const std::size_t limit = std::max<std::size_t>(2, folded.size() / 4);
        return bestDistance <= limit ? best : std::string();
    }

    // Why a key the launcher knows is not read in this file, or empty.
    std::string WhyNotRead(const std::string& folded) const
    {
        const auto [base, index] = SplitIndex(folded);
        const bool device = base == "devdrvid" || base == "deviceidsection";
        const std::int32_t count = device ? m_reading.settings.DeviceIDNum : m_reading.settings.AnotherAPNum;
        const std::int32_t capacity = device ? LauncherSettings::kDeviceIdSlots : LauncherSettings::kPackageSlots;
        const char* countKey = device ? "DeviceIDNum" : "AnotherAPNum";
        if (index >= capacity)
            return "the list has room for " + std::to_string(capacity) + " entries (indexes 0 to " +
                   std::to_string(capacity - 1) + ")";
        return std::string(countKey) + " is " + std::to_string(count);
    }

    void CheckLines()
    {
        bool sawConst = false;
        int firstConst = 0;
        for (const IniLine& line : m_lines) {
            if (line.kind == IniLine::Kind::Section) {
                if (winpath::Fold(line.name) == "const") {
                    if (sawConst)
                        Add(Severity::Warning, line.number,
                            "section [" + line.name + "] again: only the first one, on line " +
                                std::to_string(firstConst) + ", is read");
                    else
                        firstConst = line.number;
                    sawConst = true;
                }
                continue;
            }
            if (line.kind != IniLine::Kind::Key)
                continue;
            const std::string folded = winpath::Fold(line.name);
            const auto [base, index] = SplitIndex(folded);
            const bool known = m_known.count(folded) != 0 || (index >= 0 && m_indexedBases.count(base) != 0);
            const int winner = LineOf(line.name);
            if (winner == line.number) {
                if (!known) {
                    const std::string suggestion = Suggestion(folded);
                    Add(Severity::Warning, line.number,
                        "unknown key '" + line.name + "'" +
                            (suggestion.empty() ? std::string(": it has no effect")
                                                : "; did you mean '" + suggestion + "'?"));
                } else if (m_read.count(folded) == 0) {
                    Add(Severity::Warning, line.number,
                        "'" + line.name + "' is not read: " + WhyNotRead(folded));
                }
                continue;
            }
            if (!known)
                continue;
            if (line.inFirstConst && winner != 0) {
                Add(Severity::Warning, line.number,
                    "duplicate key '" + line.name + "': the first one, on line " + std::to_string(winner) +
                        ", is read and this one is not");
            } else if (line.inLaterConst) {
                Add(Severity::Warning, line.number,
                    "'" + line.name + "' lies in a second [Const] section, which is not read");
            } else if (line.section.empty()) {
                Add(Severity::Warning, line.number,
                    "'" + line.name + "' stands before any section and is not read: the launcher reads only [Const]");
            } else {
                Add(Severity::Warning, line.number,
                    "'" + line.name + "' lies in section [" + line.section +
                        "] and is not read: the launcher reads only [Const]");
            }
        }
        if (!sawConst)
            Add(Severity::Warning, 0, "no [Const] section: every key takes its default");
    }

    void CheckNumbers()
    {
        for (const std::string& key : AllLauncherKeys()) {
            const std::string folded = winpath::Fold(key);
            if (NumberKeys().count(folded) == 0 || m_read.count(folded) == 0)
                continue;
            const auto raw = Raw(key);
            if (!raw || raw->empty())
                continue;
            const std::string& s = *raw;
            std::size_t at = 0;
            while (at < s.size() && (s[at] == ' ' || (s[at] >= '\t' && s[at] <= '\r')))
                ++at;
            if (at < s.size() && (s[at] == '+' || s[at] == '-'))
                ++at;
            const std::size_t digitsFrom = at;
            while (at < s.size() && s[at] >= '0' && s[at] <= '9')
                ++at;
            const std::int32_t value = text::ToInt32(s.c_str());
            const std::string readAs = "read as " + std::to_string(value);
            if (at == digitsFrom) {
                Add(Severity::Warning, LineOf(key), key + " '" + s + "' is not a number: " + readAs);
                continue;
            }
            if (at < s.size())
                Add(Severity::Warning, LineOf(key),
                    key + " '" + s + "': the text after the digits is ignored, " + readAs);
            std::string digits = s.substr(digitsFrom, at - digitsFrom);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
            const bool negative = digitsFrom > 0 && s[digitsFrom - 1] == '-';
            const std::string limit = negative ? "2147483648" : "2147483647";
            if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
                Add(Severity::Warning, LineOf(key),
                    key + " '" + s + "' does not fit 32 bits: " + readAs);
        }
    }

    void CheckCounts()
    {
        struct Count {
            const char* key;
            std::int32_t capacity;
            const char* what;
            const char* negative;
        };
        const Count counts[] = {
            {"DeviceIDNum", LauncherSettings::kDeviceIdSlots, "device-ID patterns",
             "no pattern is read, yet the device scan runs (and matches nothing)"},
            {"AnotherAPNum", LauncherSettings::kPackageSlots, "additional packages per Windows flavour",
             "no additional package is run"},
        };
        for (const Count& count : counts) {
            const auto raw = Raw(count.key);
            if (!raw)
                continue;
            const std::int32_t value = text::ToInt32(raw->c_str());
            if (value > count.capacity)
                Add(Severity::Warning, LineOf(count.key),
                    std::string(count.key) + " " + std::to_string(value) + " is more than the " +
                        std::to_string(count.capacity) + " " + count.what + " there is room for: it is taken as " +
                        std::to_string(count.capacity));
            else if (value < 0)
                Add(Severity::Warning, LineOf(count.key),
                    std::string(count.key) + " " + std::to_string(value) + " is negative: " + count.negative);
        }
    }

    void CheckPatterns()
    {
        const LauncherSettings& s = m_reading.settings;
        const bool removal = s.DelAudioRegKey != 0 || s.EnableXPAudioClass != 0;
        for (std::int32_t i = 0; i < s.DeviceIDNum; ++i) {
            const std::string key = "DevDrvID" + std::to_string(i);
            const auto raw = Raw(key);
            if (!raw) {
                Add(Severity::Warning, LineOf("DeviceIDNum"),
                    key + " is missing (DeviceIDNum is " + std::to_string(s.DeviceIDNum) +
                        "): its pattern is empty and matches no device");
                continue;
            }
            const std::string pattern = s.DevDrvID[i];
            if (pattern.empty()) {
                Add(Severity::Warning, LineOf(key), key + " is empty: an empty pattern matches no device");
            } else if (pattern.size() < kVendorPatternLength) {
                Add(removal ? Severity::Error : Severity::Warning, LineOf(key),
                    key + " '" + pattern + "' is shorter than a vendor ID such as USB\\VID_xxxx: it matches devices of other makers" +
                        (removal ? ", whose device nodes the removal would remove too (DelAudioRegKey, EnableXPAudioClass)"
                                 : " too"));
            }
        }
    }

    void CheckCutTexts()
    {
        for (const std::string& key : AllLauncherKeys()) {
            const std::string folded = winpath::Fold(key);
            if (NumberKeys().count(folded) != 0 || m_read.count(folded) == 0)
                continue;
            const auto raw = Raw(key);
            if (!raw || raw->size() <= kTextLimit)
                continue;
            const std::string length = std::to_string(raw->size());
            m_cut.insert(key);
            if (FormsPath(folded))
                Add(Severity::Error, LineOf(key),
                    key + " is " + length + " characters long and is cut to 255: the launcher forms no path or command from a cut text");
            else
                Add(Severity::Warning, LineOf(key), key + " is " + length + " characters long and is cut to 255");
        }
    }

    static std::string WithDefaultExtension(std::string path)
    {
        if (winpath::FileName(path).find('.') == std::string::npos)
            path += ".exe";
        return path;
    }

    // A command line of `length` characters, which " Silence" may lengthen.
    void CheckCommandLength(const std::string& key, const std::string& what, std::size_t length)
    {
        const std::size_t silent = length + std::string(kSilenceSuffix).size();
        if (length > kCommandLimit)
            Add(Severity::Error, LineOf(key),
                what + " is " + std::to_string(length) + " characters long, more than the " +
                    std::to_string(kCommandLimit) + " that fit: the launcher does not start it");
        else if (silent > kCommandLimit)
            Add(Severity::Warning, LineOf(key),
                what + " is " + std::to_string(silent) + " characters long in silent mode, more than the " +
                    std::to_string(kCommandLimit) + " that fit: the launcher does not start it then");
    }

    void CheckInstallers(bool checkFiles)
    {
        for (const Flavour& flavour : kFlavours) {
            const std::string folder = TextOf(flavour.pathKey);
            const std::string file = TextOf(flavour.exeKey);
            if (folder.empty() || file.empty() || m_cut.count(flavour.pathKey) || m_cut.count(flavour.exeKey))
                continue; // the not-supported message, or an error already
            const std::string relative = folder + "\\" + file;
            const int line = LineOf(flavour.exeKey) ? LineOf(flavour.exeKey) : LineOf(flavour.pathKey);
            if (checkFiles && !m_medium.Has(WithDefaultExtension(relative))) {
                const bool defaults = LineOf(flavour.exeKey) == 0 && LineOf(flavour.pathKey) == 0;
                Add(Severity::Error, line,
                    "the driver installer for " + std::string(flavour.name) + ", " + WithDefaultExtension(relative) +
                        ", is not on the medium" +
                        (defaults ? std::string(" (the defaults of ") + flavour.pathKey + " and " + flavour.exeKey + ")"
                                  : std::string()));
            }
            CheckCommandLength(LineOf(flavour.exeKey) ? flavour.exeKey : flavour.pathKey,
                               "the installer command for " + std::string(flavour.name),
                               m_options.programFolder.size() + 1 + relative.size());
        }
    }

    std::string TextOf(const char* key)
    {
        const LauncherSettings& s = m_reading.settings;
        struct Field {
            const char* key;
            const char* value;
        };
        const Field fields[] = {
            {"SetupXPx86Path", s.SetupXPx86Path},       {"SetupXPx86Exe", s.SetupXPx86Exe},
            {"SetupXPx64Path", s.SetupXPx64Path},       {"SetupXPx64Exe", s.SetupXPx64Exe},
            {"SetupVistax86Path", s.SetupVistax86Path}, {"SetupVistax86Exe", s.SetupVistax86Exe},
            {"SetupVistax64Path", s.SetupVistax64Path}, {"SetupVistax64Exe", s.SetupVistax64Exe},
        };
        for (const Field& field : fields) {
            if (std::string(field.key) == key) {
                return field.value;
            }
        }
        return std::string();
    }

    const LauncherSettings::Text* List(const Flavour& flavour) const
    {
        const LauncherSettings& s = m_reading.settings;
        if (flavour.isXP)
            return std::string(flavour.listKey) == "AnotherAPXPx64Exe" ? s.AnotherAPXPx64Exe : s.AnotherAPXPx86Exe;
        return std::string(flavour.listKey) == "AnotherAPVistax64Exe" ? s.AnotherAPVistax64Exe : s.AnotherAPVistax86Exe;
    }

    void CheckPackages(bool checkFiles)
    {
        const LauncherSettings& s = m_reading.settings;
        for (const Flavour& flavour : kFlavours) {
            const LauncherSettings::Text* list = List(flavour);
            // The four lists share one count, so a list may well end early; only
            // a gap before a later entry is worth a word.
            std::int32_t lastPresent = -1;
            for (std::int32_t i = 0; i < s.AnotherAPNum; ++i) {
                if (Raw(flavour.listKey + std::to_string(i)))
                    lastPresent = i;
            }
            std::vector<std::string> gaps;
            for (std::int32_t i = 0; i < lastPresent; ++i) {
                if (!Raw(flavour.listKey + std::to_string(i)))
                    gaps.push_back(flavour.listKey + std::to_string(i));
            }
            if (!gaps.empty()) {
                std::string names;
                for (std::size_t g = 0; g < gaps.size(); ++g)
                    names += (g == 0 ? "" : g + 1 == gaps.size() ? " and " : ", ") + gaps[g];
                Add(Severity::Warning, LineOf("AnotherAPNum"),
                    names + (gaps.size() == 1 ? " is" : " are") + " missing before a later entry: " +
                        (gaps.size() == 1 ? "that index is" : "those indexes are") + " passed over on " +
                        flavour.name);
            }
            for (std::int32_t i = 0; i < s.AnotherAPNum; ++i) {
                const std::string key = flavour.listKey + std::to_string(i);
                const auto raw = Raw(key);
                if (!raw)
                    continue;
                const std::string entry = list[i];
                if (entry.empty() || raw->size() > kTextLimit)
                    continue;
                const int line = LineOf(key);
                std::string extension = winpath::FileName(entry);
                extension = extension.find('.') == std::string::npos ? std::string()
                                                                     : extension.substr(extension.rfind('.'));
                if (IsUpdatePackage(entry)) {
                    if (checkFiles && !m_medium.Has(entry))
                        Add(Severity::Error, line, "update package '" + entry + "' is not on the medium");
                    if (flavour.isXP)
                        Add(Severity::Warning, line,
                            "update package '" + entry + "' for Windows XP: XP has no program for .msu files, so the shell refuses to open it");
                    const std::size_t length = m_options.programFolder.size() + 1 + entry.size();
                    if (length > kCommandLimit)
                        Add(Severity::Error, line,
                            "the path of update package '" + entry + "' is " + std::to_string(length) +
                                " characters long, more than the " + std::to_string(kCommandLimit) +
                                " that fit: it is passed over");
                    continue;
                }
                if (winpath::Fold(extension) == ".msu") {
                    Add(Severity::Error, line,
                        "'" + entry + "' ends in '" + extension +
                            "': only '.msu' in lower case makes an update package, so it is run as a program, which fails");
                    continue;
                }
                if (checkFiles && !m_medium.Has(WithDefaultExtension(entry)))
                    Add(Severity::Error, line,
                        "package '" + WithDefaultExtension(entry) + "' is not on the medium: its start fails with \"CreateProcess failed.\"");
                if (raw && !m_cut.count("LaunchAnotherAPParam"))
                    CheckCommandLength(key, "the command line of package '" + entry + "'",
                                       m_options.programFolder.size() + 1 + entry.size() + 1 +
                                           std::string(s.LaunchAnotherAPParam).size());
            }
        }
    }

    void CheckTimer()
    {
        const LauncherSettings& s = m_reading.settings;
        if (s.EnableTimer == 0)
            return;
        bool anyUpdate = false;
        for (const Flavour& flavour : kFlavours) {
            for (std::int32_t i = 0; i < s.AnotherAPNum; ++i)
                anyUpdate = anyUpdate || IsUpdatePackage(List(flavour)[i]);
        }
        const int line = LineOf("EnableTimer");
        if (!anyUpdate)
            Add(Severity::Warning, line,
                "EnableTimer is on but no update package (.msu) is listed: the timer never starts");
        const int waitLine = LineOf("WaitTimer") ? LineOf("WaitTimer") : line;
        if (s.WaitTimer == 0)
            Add(Severity::Warning, waitLine,
                "WaitTimer is 0: the timer ticks at the system's shortest period, about every 10 ms");
        else if (s.WaitTimer < 0)
            Add(Severity::Error, waitLine,
                "WaitTimer " + std::to_string(s.WaitTimer) + " is taken as " +
                    std::to_string(static_cast<std::uint32_t>(s.WaitTimer)) +
                    " ms, beyond Windows' longest timer period (about 24.8 days): the first scan for the update's dialogs comes only then");
    }

    const Medium& m_medium;
    const CheckOptions& m_options;
    const std::string& m_text;
    LauncherReading m_reading;
    std::set<std::string> m_known;
    std::set<std::string> m_indexedBases;
    std::set<std::string> m_read;
    std::set<std::string> m_cut;
    std::vector<IniLine> m_lines;
    std::map<std::string, int> m_winners; // folded key -> line
    std::vector<Diagnostic> m_found;
};

} // namespace

std::vector<Diagnostic> CheckSettings(const Medium& medium, const CheckOptions& options, bool checkFiles)
{
    Checker checker(medium, options);
    return checker.Run(checkFiles);
}

std::string FormatDiagnostic(const std::string& fileShown, const Diagnostic& diagnostic)
{
    std::string out = fileShown;
    if (diagnostic.line > 0)
        out += ":" + std::to_string(diagnostic.line);
    out += diagnostic.severity == Severity::Error ? ": error: " : ": warning: ";
    return out + diagnostic.message;
}
