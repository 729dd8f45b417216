#include "tools/authoring/Preview.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "app/LauncherApp.h"
#include "platform/WinConstants.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedMachine.h"
#include "platform/sim/WindowsPath.h"

using nlohmann::json;

namespace {

const char* const kDefaultProgram = "D:\\Setup.exe";
const char* const kDeviceCaption = "KQ6701 Custom Property Demo";
const char* const kStartFailed = "CreateProcess failed.";

bool EndsWithFolded(const std::string& text, const std::string& tail)
{
    const std::string folded = winpath::Fold(text);
    return folded.size() >= tail.size() && folded.compare(folded.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Hex(std::uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string ErrorName(std::uint32_t error)
{
    switch (error) {
    case win::ERROR_FILE_NOT_FOUND: return "error 2, the file is not there";
    case win::ERROR_PATH_NOT_FOUND: return "error 3, its folder is not there";
    case win::ERROR_ACCESS_DENIED: return "error 5, access denied";
    case win::ERROR_BAD_EXE_FORMAT: return "error 193, not a program";
    case win::ERROR_ELEVATION_REQUIRED: return "error 740, it needs elevation";
    case win::ERROR_IN_WOW64: return "ERROR_IN_WOW64, refused to a 32-bit program on 64-bit Windows";
    default: return "error " + std::to_string(error);
    }
}

std::string ShellResultName(std::int64_t result)
{
    switch (result) {
    case win::SE_ERR_FNF: return "2, the file is not there";
    case win::SE_ERR_PNF: return "3, its folder is not there";
    case win::SE_ERR_ACCESSDENIED: return "5, access denied";
    case win::SE_ERR_NOASSOC: return "31, no program is associated with the file";
    default: return std::to_string(result);
    }
}

std::string MessageBoxLine(const json& box)
{
    const std::uint32_t style = box.value("style", 0u);
    std::string buttons = (style & win::MB_TYPEMASK) == win::MB_OKCANCEL ? "OK, Cancel" : "OK";
    if ((style & 0xF0u) == 0x30u)
        buttons += "; warning icon";
    const int answer = box.value("answer", 1);
    const std::string answered = answer == win::IDOK ? "OK" : answer == win::IDCANCEL ? "Cancel"
                                                                                      : std::to_string(answer);
    return "message box " + Quoted(box.value("text", "")) + " (caption " + Quoted(box.value("caption", "")) +
           "; " + buttons + "), answered " + answered;
}

class Describer {
public:
    Describer(const SimulatedMachine& machine, const CLauncherApp& app, const Medium* medium,
              PreviewReport& report)
        : m_machine(machine), m_app(app), m_s(app.Settings), m_medium(medium), m_report(report),
          m_effects(machine.trace.Effects())
    {
        CLauncherApp::PathText folder;
        // The launcher's own rule for its folder, on the same machine.
        SimulatedMachine& os = const_cast<SimulatedMachine&>(machine);
        m_folder = GetProgramFolder(os, folder) ? std::string(folder) : std::string();
    }

    void Run()
    {
        Start();
        Settings();
        Installer();
        AudioClass();
        FinishMark();
        RePlugMessage();
        Packages();
        CompletionDialog();
        Rest();
    }

private:
    // --- the trace, in order ---
    bool AtKind(const char* kind) const
    {
        return m_at < m_effects.size() && m_effects[m_at].value("effect", "") == kind;
    }
    bool AtBox(const std::string& text, const std::string& caption) const
    {
        return AtKind("message_box") && m_effects[m_at].value("text", "") == text &&
               m_effects[m_at].value("caption", "") == caption;
    }
    const json& Take() { return m_effects[m_at++]; }

    PreviewStep& Step(const std::string& heading)
    {
        m_report.steps.push_back({heading, {}});
        return m_report.steps.back();
    }
    void Line(const std::string& line) { m_report.steps.back().lines.push_back(line); }
    void Warn(const std::string& warning)
    {
        if (std::find(m_report.warnings.begin(), m_report.warnings.end(), warning) == m_report.warnings.end())
            m_report.warnings.push_back(warning);
    }
    void Cell(const std::string& row, const std::string& value, const std::string& subject = "")
    {
        m_report.cells.push_back({row, value, subject});
    }

    // A path beneath the program folder, as the medium names it.
    std::string Relative(const std::string& path) const
    {
        const std::string prefix = m_folder + "\\";
        if (!m_folder.empty() && winpath::Fold(path).rfind(winpath::Fold(prefix), 0) == 0)
            return path.substr(prefix.size());
        return path;
    }

    // As the launcher looks for the program of a text: the text up to each
    // blank in turn, then the whole text, with ".exe" added to a name
    // without an extension.
    bool NamesFileOnMedium(const std::string& text) const
    {
        for (std::size_t end = 0; end <= text.size(); ++end) {
            if (end < text.size() && text[end] != ' ' && text[end] != '\t')
                continue;
            std::string candidate = text.substr(0, end);
            const std::size_t name = candidate.find_last_of("\\/");
            if (candidate.find('.', name == std::string::npos ? 0 : name) == std::string::npos)
                candidate += ".exe";
            if (m_medium->Has(candidate))
                return true;
        }
        return false;
    }

    bool OnMedium(const std::string& path) const
    {
        const std::string relative = Relative(path);
        return m_medium == nullptr || relative == path || m_medium->Has(relative);
    }

    // --- the steps ---
    void Start()
    {
        Step("Start");
        const SimVersion& v = m_machine.version;
        Line("Windows reports version " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
             std::to_string(v.build) + (v.servicePack.empty() ? std::string(" without a service pack")
                                                              : " " + Quoted(v.servicePack)));
        std::string seen = m_app.IsWinNT6 ? "an NT 6 system" : "not an NT 6 system";
        seen += m_app.Is64BitOS ? ", 64-bit" : ", 32-bit";
        if (m_app.IsVistaSP1)
            seen += ", Vista SP1";
        if (m_app.IsWin7)
            seen += ", Windows 7";
        Line("Setup.exe takes it for " + seen);
        std::string cell = m_app.IsWinNT6 ? "NT 6" : "NT 5";
        cell += m_app.Is64BitOS ? " 64" : " 32";
        if (m_app.IsVistaSP1)
            cell += " SP1";
        if (m_app.IsWin7)
            cell += " 7";
        Cell("Seen as", cell);
        Line("command line: " + std::string(const_cast<SimulatedMachine&>(m_machine).GetCommandLineA()));
    }

    void Settings()
    {
        Step("Settings");
        const std::string path = m_folder + "\\Setting.ini";
        if (m_machine.files.Find(path) == nullptr)
            Line("no " + path + ": every key takes its default");
        else
            Line("reads " + path);
        if (m_app.Silent != 0)
            Line("silent mode on: the installer and the packages run as programs get the argument Silence");
        else
            Line("silent mode off");
        Cell("Silent", m_app.Silent != 0 ? "yes" : "no");

        if (m_s.DeviceIDNum == 0) {
            Line("no device-ID patterns (DeviceIDNum 0): no device scan");
            Cell("Device scan", "-");
            return;
        }
        while (AtKind("device_set")) {
            const json& set = Take();
            if (!set.value("result", false))
                Line("device scan: the list of present devices cannot be made (" +
                     ErrorName(set.value("error", 0u)) + "): nothing is recorded");
        }
        std::string matched;
        for (int i = 0; i < m_app.MatchedDeviceCount && i < CLauncherApp::kMatchedDeviceSlots; ++i)
            matched += (i == 0 ? "" : ", ") + std::string(m_app.MatchedDeviceIds[i]);
        Line("device scan over the present devices for " + std::to_string(m_s.DeviceIDNum) +
             " pattern(s): " +
             (m_app.MatchedDeviceCount == 0 ? std::string("no present device matches")
                                            : std::to_string(m_app.MatchedDeviceCount) + " match(es): " + matched));
        Cell("Device scan", std::to_string(m_app.MatchedDeviceCount) + " matched");
    }

    // One start through the installer runner: the process, its wait and the
    // message box of a failed start. `what` names it for the warnings.
    // `program` is the text behind the program folder that names the program
    // (it may carry arguments).
    std::string ProgramStart(const std::string& what, const std::string& program)
    {
        if (AtBox(kStartFailed, m_s.Setup) && !AtKind("create_process")) {
            // Nothing was handed to the system: either no prefix of the text
            // names a file on the medium, or the command could not be formed.
            if (m_medium != nullptr && !NamesFileOnMedium(program)) {
                Line("no file on the medium is named by " + Quoted(program) + ": nothing is started");
                Line(MessageBoxLine(Take()));
                Warn(what + " " + program + " is not on the medium");
                return "missing";
            }
            Line("the command cannot be formed (a text cut to 255 characters, or longer than 511 characters): nothing is started");
            Line(MessageBoxLine(Take()));
            Warn(what + ": its command cannot be formed, so it is never started");
            return "not formed";
        }
        if (!AtKind("create_process"))
            return "?";
        const json& start = Take();
        const std::string application = start.value("application", "");
        Line("starts " + application + " with the command line " + Quoted(start.value("command_line", "")));
        if (start.value("result", false)) {
            if (AtKind("wait"))
                Take();
            Line("and waits until it has ended (its exit code is not looked at)");
            return "runs";
        }
        const std::uint32_t error = start.value("error", 0u);
        Line("the start fails: " + ErrorName(error));
        if (AtBox(kStartFailed, m_s.Setup))
            Line(MessageBoxLine(Take()));
        if ((error == win::ERROR_FILE_NOT_FOUND || error == win::ERROR_PATH_NOT_FOUND) && !OnMedium(application)) {
            Warn(what + " " + Relative(application) + " is not on the medium");
            return "missing";
        }
        Warn(what + " " + Relative(application) + " cannot be started: " + ErrorName(error));
        return "fails";
    }

    void Installer()
    {
        Step("Driver installer");
        const bool nt6 = m_app.IsWinNT6 != 0;
        const bool is64 = m_app.Is64BitOS != 0;
        const std::string flavour = std::string(nt6 ? "Vista" : "XP") + (is64 ? "x64" : "x86");
        const std::string pathKey = "Setup" + flavour + "Path";
        const std::string exeKey = "Setup" + flavour + "Exe";
        const char* folder = nt6 ? (is64 ? m_s.SetupVistax64Path : m_s.SetupVistax86Path)
                                 : (is64 ? m_s.SetupXPx64Path : m_s.SetupXPx86Path);
        const char* file = nt6 ? (is64 ? m_s.SetupVistax64Exe : m_s.SetupVistax86Exe)
                               : (is64 ? m_s.SetupXPx64Exe : m_s.SetupXPx86Exe);
        Line("the installer of this flavour: " + pathKey + " " + Quoted(folder) + ", " + exeKey + " " +
             Quoted(file));
        if (folder[0] == '\0' || file[0] == '\0') {
            Line((folder[0] == '\0' ? pathKey : exeKey) + " is empty: nothing is started, the medium does not support this system");
            if (AtBox(m_s.NoSetupPath, m_s.Setup))
                Line(MessageBoxLine(Take()));
            Cell("Installer", "not supported");
            return;
        }
        const std::string relative = std::string(folder) + "\\" + file;
        const std::string result = ProgramStart("the driver installer", relative);
        Cell("Installer", result, relative);
    }

    void AudioClass()
    {
        Step("Audio class");
        if (m_app.IsWinNT6 != 0 && m_s.EnableAudioClass == 0) {
            Line("skipped: an NT 6 system, and EnableAudioClass is 0");
            Cell("Audio class", "skipped");
            return;
        }
        Line(m_app.IsWinNT6 ? "runs: EnableAudioClass is on" : "runs on every system that is not NT 6");
        std::vector<std::string> summary;
        bool bound = false;
        bool channelOpened = false;
        std::uint32_t selectedRegister = 0;
        int removed = 0;
        int refused = 0;
        for (; m_at < m_effects.size(); ++m_at) {
            const json& e = m_effects[m_at];
            const std::string kind = e.value("effect", "");
            if (kind == "co_initialize") {
                channelOpened = true;
            } else if (kind == "co_uninitialize") {
                // the channel is closed
            } else if (kind == "bind_filter") {
                const std::string name = e["name"].is_string() ? e["name"].get<std::string>() : "(no name)";
                const std::uint32_t hr = e.value("result", 0u);
                Line("capture device " + Quoted(name) + " (" + e.value("category", "") + " category) " +
                     (hr == 0 ? "found" : "found but its filter cannot be made (" + Hex(hr) + ")"));
            } else if (kind == "query_interface") {
                const std::uint32_t hr = e.value("result", 0u);
                bound = hr == 0;
                Line(bound ? "its driver's custom property interface is there"
                           : "its driver refuses the custom property interface (" + Hex(hr) + ")");
            } else if (kind == "property") {
                DescribeProperty(e, selectedRegister, summary);
            } else if (kind == "sleep") {
                Line("waits " + std::to_string(e.value("milliseconds", 0u)) + " ms");
            } else if (kind == "device_set") {
                if (e.value("result", false))
                    Line("removal pass over all device nodes, present or not");
                else
                    Line("removal pass: the device list cannot be made (" + ErrorName(e.value("error", 0u)) + ")");
            } else if (kind == "remove_device") {
                const std::string id = e.value("hardware_id", "");
                const std::uint32_t error = e.value("error", 0u);
                if (e.value("result", false)) {
                    ++removed;
                    Line("removes the device node " + id);
                } else {
                    ++refused;
                    Line("removing the device node " + id + " fails: " + ErrorName(error));
                    if (error == win::ERROR_IN_WOW64)
                        Warn("device removal by a 32-bit program is refused on 64-bit Windows: the node " + id +
                             " stays (DelAudioRegKey, EnableXPAudioClass)");
                }
            } else if (kind == "com_fault") {
                Line("COM fault: " + e.value("what", ""));
                Warn("COM fault in the device channel: " + e.value("what", ""));
            } else if (kind == "message_box" && e.value("caption", "") == kDeviceCaption) {
                Line(MessageBoxLine(e));
            } else {
                break;
            }
        }
        if (channelOpened && !bound)
            Line("no capture device with the custom property interface: nothing else happens");
        std::string writes;
        for (const std::string& write : summary)
            writes += (writes.empty() ? "" : ", ") + write;
        std::vector<std::string> parts;
        if (!bound)
            parts.push_back("no device");
        if (!writes.empty())
            parts.push_back("writes");
        if (removed > 0)
            parts.push_back("removes " + std::to_string(removed));
        if (refused > 0)
            parts.push_back("removal refused");

        // The launcher's re-plug box after the step, told apart from the one
        // that MustRePlugin brings later by their number.
        int boxes = 0;
        while (m_at + boxes < m_effects.size() &&
               m_effects[m_at + boxes].value("effect", "") == "message_box" &&
               m_effects[m_at + boxes].value("text", "") == m_s.RePlugin &&
               m_effects[m_at + boxes].value("caption", "") == m_s.Setup)
            ++boxes;
        const int later = (m_app.FinishInstalled != 0 && m_s.MustRePlugin != 0) ? 1 : 0;
        if (boxes > later) {
            Line("the device has to be plugged in again: " + MessageBoxLine(Take()));
            parts.push_back("re-plug");
        }
        std::string cell;
        for (const std::string& part : parts)
            cell += (cell.empty() ? "" : ", ") + part;
        Cell("Audio class", cell.empty() ? "no change" : cell, writes.empty() ? "" : "writes " + writes);
    }

    void DescribeProperty(const json& e, std::uint32_t& selectedRegister, std::vector<std::string>& summary)
    {
        const std::uint32_t id = e.value("id", 0u);
        const bool set = e.value("call", "") == "set";
        const std::uint32_t hr = e.value("result", 0u);
        const json& data = e["data"];
        const std::string failed = hr == 0 ? "" : " fails (" + Hex(hr) + ")";
        if (id == 4107 && set) {
            Line("detects the I2C device " + data.dump() + failed);
        } else if (id == 4116 && !set) {
            if (hr == 0)
                Line(data.is_number() && data.get<std::uint32_t>() != 0 ? "the I2C device is ready"
                                                                       : "the I2C device is powered down or not ready");
        } else if (id == 4103 && set) {
            if (data.is_number() && data.get<std::uint32_t>() != 0)
                selectedRegister = (data.get<std::uint32_t>() >> 8) & 0xFF;
            if (hr != 0)
                Line("selecting register " + std::to_string(selectedRegister) + failed);
        } else if (id == 4104) {
            const std::string value = data.is_array() && !data.empty() ? data[0].dump() : "?";
            const std::string reg = std::to_string(selectedRegister);
            if (set) {
                Line("writes register " + reg + " = " + value + failed);
                if (hr == 0)
                    summary.push_back(reg + "=" + value);
            } else {
                Line(hr == 0 ? "reads register " + reg + ": " + value : "reading register " + reg + failed);
            }
        } else if (hr != 0) {
            Line(std::string(set ? "setting" : "getting") + " property " + std::to_string(id) + failed);
        }
    }

    void FinishMark()
    {
        Step("Finish mark");
        if (m_s.CheckFinishInstall == 0) {
            Line("not consulted (CheckFinishInstall 0): the installation counts as finished");
            Cell("Finish mark", "not checked");
            return;
        }
        const std::string key = m_app.Is64BitOS ? "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion"
                                                : "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
        Line("reads FinishInstall under " + key + ": " +
             (m_app.FinishInstalled ? std::string("1, the installation counts as finished")
                                    : std::string("absent or not 1: the installation does not count as finished")));
        if (!m_app.FinishInstalled)
            Line("so no re-plug message from MustRePlugin and no additional packages");
        Cell("Finish mark", m_app.FinishInstalled ? "finished" : "not finished");
    }

    void RePlugMessage()
    {
        if (m_app.FinishInstalled == 0 || m_s.MustRePlugin == 0)
            return;
        Step("Re-plug message");
        if (AtBox(m_s.RePlugin, m_s.Setup))
            Line("MustRePlugin is on: " + MessageBoxLine(Take()));
    }

    void Packages()
    {
        Step("Additional packages");
        if (m_app.FinishInstalled == 0) {
            Line("not run: the installation does not count as finished");
            return;
        }
        if (m_s.AnotherAPNum < 1) {
            Line("none (AnotherAPNum " + std::to_string(m_s.AnotherAPNum) + ")");
            return;
        }
        const bool nt6 = m_app.IsWinNT6 != 0;
        const bool is64 = m_app.Is64BitOS != 0;
        const std::string listKey = std::string("AnotherAP") + (nt6 ? "Vista" : "XP") + (is64 ? "x64" : "x86") + "Exe";
        const LauncherSettings::Text* list = nt6 ? (is64 ? m_s.AnotherAPVistax64Exe : m_s.AnotherAPVistax86Exe)
                                                 : (is64 ? m_s.AnotherAPXPx64Exe : m_s.AnotherAPXPx86Exe);
        const bool skipUpdates = nt6 && (m_app.IsVistaSP1 || m_app.IsWin7);
        Line("the list " + listKey + ", " + std::to_string(m_s.AnotherAPNum) + " entr" +
             (m_s.AnotherAPNum == 1 ? "y" : "ies"));
        for (std::int32_t i = 0; i < m_s.AnotherAPNum && i < LauncherSettings::kPackageSlots; ++i) {
            const std::string key = listKey + std::to_string(i);
            const std::string entry = list[i];
            const std::string row = "Package " + std::to_string(i);
            if (entry.empty()) {
                Line(key + " is empty: passed over");
                Cell(row, "-");
                continue;
            }
            if (m_app.HasExtension(entry.c_str(), '.', ".msu")) {
                UpdatePackage(key, entry, row, skipUpdates);
                continue;
            }
            Line(key + " " + Quoted(entry) + ": run as a program");
            if (EndsWithFolded(entry, ".msu"))
                Warn(entry + " is run as a program: only \".msu\" in lower case makes an update package");
            const std::string result = ProgramStart("the package", entry);
            Cell(row, result, entry);
        }
    }

    void UpdatePackage(const std::string& key, const std::string& entry, const std::string& row, bool skip)
    {
        if (skip) {
            Line(key + " " + Quoted(entry) + ": an update package, not started on Vista SP1 and Windows 7, which bring it");
            Cell(row, "skipped", entry);
            return;
        }
        if (!AtKind("shell_open")) {
            Line(key + " " + Quoted(entry) + ": its path does not fit, so it is passed over");
            Warn("update package " + entry + ": its path cannot be formed, so it is never opened");
            Cell(row, "not formed", entry);
            return;
        }
        const json& open = Take();
        const std::string file = open.value("file", "");
        const std::string parameters = open["parameters"].is_string() ? open["parameters"].get<std::string>() : "";
        Line(key + " " + Quoted(entry) + ": an update package, opened through the shell: " + Quoted(file) +
             (parameters.empty() ? std::string(" without parameters") : " with the parameters " + Quoted(parameters)) +
             ", not waited for");
        const std::int64_t result = open.value("result", std::int64_t{0});
        if (result > 32) {
            Line("the shell accepts it; the update runs beside the launcher");
            while (AtKind("window_appeared"))
                Line(AppearedLine(Take()));
            Cell(row, "opened", entry);
            return;
        }
        Line("the shell refuses it (" + ShellResultName(result) + ")");
        if (!OnMedium(file))
            Warn("update package " + Relative(file) + " is not on the medium");
        else if (result == win::SE_ERR_NOASSOC)
            Warn("update package " + entry + ": this system has no program for .msu files, so the shell refuses it");
        else
            Warn("update package " + entry + ": the shell refuses it (" + ShellResultName(result) + ")");
        Cell(row, "refused", entry);
    }

    static std::string AppearedLine(const json& e)
    {
        return "the dialog " + Quoted(e.value("dialog", "")) + " of " + e.value("process", "") + " appears";
    }

    static std::string DialogEnd(int result)
    {
        return result == win::IDOK ? "IDOK" : result == win::IDCANCEL ? "IDCANCEL" : std::to_string(result);
    }

    // The press of a foreign button: its down and up clicks, posted one after
    // the other. Only the marker-static pass presses ID 2, and only a press
    // that ends the wait is followed at once by the timer's end, so the two
    // tell the layout apart.
    void Press(const json& down, std::string& cell)
    {
        const json& window = down["window"];
        const std::string caption = window.value("dialog", "");
        const int id = window.value("id", 0);
        if (m_at < m_effects.size() && m_effects[m_at].value("effect", "") == "post_message" &&
            m_effects[m_at].value("message", "") == "WM_LBUTTONUP")
            Take();
        const bool ends = AtKind("timer_killed");
        if (ends)
            Take();
        const std::string layout = id == 2 || !ends ? "marker-static" : "marker-edit";
        const std::string tick = m_ticks == 0 ? std::string() : " on tick " + std::to_string(m_ticks);
        Line("presses button " + std::to_string(id) + " of the dialog " + Quoted(caption) + " (" + layout +
             " layout)" + tick + ": " +
             (ends ? std::string("that ends the wait, timer 300 is killed and the finish path runs")
                   : std::string("the wait goes on, the next ticks scan again")));
        if (ends)
            cell = "waits, pressed";
    }

    void FlushTicks()
    {
        if (m_ticks == m_toldTicks)
            return;
        const int ticks = m_ticks - m_toldTicks;
        const bool allHide = m_hides - m_toldHides == ticks;
        const std::string count = std::to_string(ticks) + (m_toldTicks == 0 ? "" : " more");
        Line(count + " tick" + (ticks == 1 ? "" : "s") + " of timer 300" +
             (m_toldTicks == 0 ? std::string() : " (up to tick " + std::to_string(m_ticks) + ")") + ", " +
             (allHide ? (ticks == 1 ? "which hides the dialog" : "every one hides the dialog")
                      : "hiding the dialog " + std::to_string(m_hides - m_toldHides) + " times"));
        m_toldTicks = m_ticks;
        m_toldHides = m_hides;
    }

    void CompletionDialog()
    {
        Step("Completion dialog");
        std::string cell;
        std::string restart = "not asked";
        bool timer = false;
        bool prompted = false;
        const bool starts = std::any_of(m_effects.begin() + static_cast<std::ptrdiff_t>(m_at), m_effects.end(),
                                        [](const json& e) { return e.value("effect", "") == "timer_set"; });
        if (!starts) {
            Line(std::string("no timer (") +
                 (m_app.HotfixLaunched == 0 ? "no package was opened through the shell" : "EnableTimer is 0") +
                 "): the finish path runs at once, inside the dialog's initialisation, before it is ever shown");
            cell = "at once";
        }
        for (; m_at < m_effects.size();) {
            const json& e = m_effects[m_at];
            const std::string kind = e.value("effect", "");
            const bool tickEffect = kind == "timer_tick" || kind == "show_window";
            if (!tickEffect && kind != "foreign_input" && kind != "send_message")
                FlushTicks();
            ++m_at;
            if (kind == "send_message" && e.value("message", "") == "WM_SETICON") {
                continue;
            } else if (kind == "timer_set") {
                timer = true;
                const std::uint32_t period = e.value("period", 0u);
                Line("a package was opened through the shell and EnableTimer is on: timer " +
                     std::to_string(e.value("id", 0)) + " starts with a period of " + std::to_string(period) +
                     " ms" + (period == 0 ? " (WaitTimer 0: the system's shortest period)" : ""));
                if (!e.value("ok", true))
                    Line("the timer cannot be started: the dialog stays until the user chooses OK or Cancel");
                cell = "waits";
            } else if (kind == "dialog_shown") {
                Line("the dialog " + Quoted(e.value("caption", "")) + " (OK, Cancel) is shown" +
                     (timer ? std::string(" until the first tick") : std::string()));
            } else if (kind == "timer_tick") {
                ++m_ticks;
            } else if (kind == "show_window") {
                if (e.value("command", -1) == 0)
                    ++m_hides;
            } else if (kind == "post_message" && e.value("message", "") == "WM_LBUTTONDOWN") {
                Press(e, cell);
            } else if (kind == "foreign_input") {
                continue;
            } else if (kind == "window_appeared") {
                Line(AppearedLine(e));
            } else if (kind == "window_closed") {
                Line("the dialog " + Quoted(e.value("dialog", "")) + " closes (" + e.value("how", "") + ")");
            } else if (kind == "timer_killed") {
                Line("timer 300 is killed");
            } else if (kind == "user_action") {
                Line("the user chooses " + e.value("action", "") + (e.value("done", false) ? "" : ", but the dialog cannot take it (hidden or disabled)"));
                if (e.value("done", false) && cell != "waits, pressed")
                    cell = "user " + e.value("action", "");
            } else if (kind == "message_box" && e.value("text", "") == m_s.HotfixReBoot &&
                       e.value("caption", "") == m_s.Setup) {
                prompted = true;
                const bool yes = e.value("answer", 0) == win::IDOK;
                Line("HotfixMustRebootMessage is on, the restart question: " + MessageBoxLine(e));
                if (!yes) {
                    Line("no restart is requested");
                    if (restart == "not asked")
                        restart = "declined";
                }
            } else if (kind == "privilege") {
                const std::string call = e.value("call", "");
                if (call == "AdjustTokenPrivileges")
                    Line(std::string("enables SeShutdownPrivilege for the process") +
                         (e.value("result", false) && e.value("error", 0u) == 0
                              ? ""
                              : " (refused: " + ErrorName(e.value("error", 0u)) + ")"));
                else if (!e.value("result", false))
                    Line(call + " fails; the steps after it run all the same");
            } else if (kind == "exit_windows") {
                const bool ok = e.value("result", false);
                Line(std::string("asks Windows for a restart (ExitWindowsEx, EWX_REBOOT, reason 0)") +
                     (ok ? ": the system shuts down and restarts while the run ends"
                         : ": refused (" + ErrorName(e.value("error", 0u)) + "), the run simply ends"));
                restart = ok ? "requested" : "refused";
            } else if (kind == "close_handle" || kind == "end_dialog") {
                continue;
            } else if (kind == "dialog_ended") {
                const int result = e.value("result", 0);
                Line("the dialog ends with " + DialogEnd(result) +
                     (e.value("shown", false) ? ", after it was shown" : ", never shown"));
                if (cell.empty() || cell == "waits")
                    cell = result == win::IDOK ? "user ok" : "user cancel";
            } else if (kind == "gave_up") {
                Line("the simulated run stops after " + std::to_string(e.value("ticks", 0)) +
                     " ticks: the dialog still waits, hidden");
                Warn("the timer runs but no dialog it presses ever appears: Setup.exe waits, hidden, until "
                     "it is ended by other means");
                cell = "never ends";
            } else {
                m_other.push_back(e);
            }
        }
        FlushTicks();
        if (!prompted && m_s.HotfixMustRebootMessage != 0 && cell.rfind("user cancel", 0) == 0)
            Line("no restart question: Cancel ends the dialog without it");
        Cell("Dialog", cell.empty() ? "?" : cell);
        Cell("Restart", m_s.HotfixMustRebootMessage == 0 ? "-" : restart);
    }

    void Rest()
    {
        if (m_other.empty())
            return;
        Step("Other effects");
        for (const json& e : m_other) {
            if (e.value("effect", "") == "message_box") {
                Line(MessageBoxLine(e));
                continue;
            }
            json rest = e;
            rest.erase("effect");
            Line(e.value("effect", "?") + " " + rest.dump());
        }
    }

    const SimulatedMachine& m_machine;
    const CLauncherApp& m_app;
    const LauncherSettings& m_s;
    const Medium* m_medium;
    PreviewReport& m_report;
    const std::vector<json>& m_effects;
    std::size_t m_at = 0;
    std::string m_folder;
    std::vector<json> m_other;     // effects no step tells of
    int m_ticks = 0, m_hides = 0;  // ticks of the completion dialog so far
    int m_toldTicks = 0, m_toldHides = 0;
};

} // namespace

namespace {

// The children of each layout, topmost first.
json ForeignChildren(const std::string& layout, const std::vector<int>& ids)
{
    json buttons = json::array();
    for (int id : ids)
        buttons.push_back({{"class", "Button"}, {"id", id}});
    auto with = [](json first, const json& rest) {
        json all = std::move(first);
        for (const json& b : rest)
            all.push_back(b);
        return all;
    };
    if (layout == "marker_static")
        return with(json::array({{{"class", "Static"}, {"id", 51966}}}), buttons);
    if (layout == "decoy_static_id")
        return with(json::array({{{"class", "Static"}, {"id", 51965}}}), buttons);
    if (layout == "marker_edit")
        return json::array({{{"class", "Static"}, {"id", 100}},
                            {{"class", "Panel"},
                             {"id", 101},
                             {"children", with(json::array({{{"class", "Edit"}, {"id", 64430}}}), buttons)}}});
    // decoy_edit_direct
    return with(json::array({{{"class", "Static"}, {"id", 100}}, {{"class", "Edit"}, {"id", 64430}}}), buttons);
}

} // namespace

bool ParseForeignDialog(const std::string& text, PreviewOptions::ForeignDialog& dialog, std::string& error)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        // The caption and the one it follows take the rest as they are.
        if (colon == std::string::npos || parts.size() == 3) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    dialog = PreviewOptions::ForeignDialog{};
    dialog.layout = parts[0];
    if (dialog.layout != "marker_static" && dialog.layout != "marker_edit" && dialog.layout != "decoy_static_id" &&
        dialog.layout != "decoy_edit_direct") {
        error = "unknown layout " + Quoted(dialog.layout) +
                " (marker_static, marker_edit, decoy_static_id, decoy_edit_direct)";
        return false;
    }
    if (parts.size() > 1) {
        dialog.buttons.clear();
        std::size_t from = 0;
        while (from <= parts[1].size()) {
            std::size_t comma = parts[1].find(',', from);
            if (comma == std::string::npos)
                comma = parts[1].size();
            const std::string id = parts[1].substr(from, comma - from);
            if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos) {
                error = "button IDs are numbers: " + Quoted(parts[1]);
                return false;
            }
            dialog.buttons.push_back(std::stoi(id));
            from = comma + 1;
        }
    }
    if (parts.size() > 2)
        dialog.caption = parts[2];
    if (parts.size() > 3)
        dialog.after = parts[3];
    return true;
}

json BuildScenario(const Medium* medium, const json& base, const PreviewOptions& options)
{
    json scenario = base.is_object() ? base : json::object();
    const std::string program = options.programPath ? *options.programPath
                                                    : scenario.value("program", std::string(kDefaultProgram));
    scenario["program"] = program;
    const std::string folder = winpath::Parent(program);

    if (medium != nullptr) {
        json& files = scenario["files"];
        if (!files.is_object())
            files = json::object();
        for (const std::string& relative : medium->files) {
            const std::string path = folder + "\\" + relative;
            for (auto it = files.begin(); it != files.end();) {
                if (winpath::Fold(it.key()) == winpath::Fold(path))
                    it = files.erase(it);
                else
                    ++it;
            }
            json spec = json::object();
            if (winpath::Fold(relative) == "setting.ini")
                spec["text"] = medium->settingsText;
            else if (EndsWithFolded(relative, ".exe") || EndsWithFolded(relative, ".com"))
                spec["program"] = {{"exit_code", 0}};
            files[path] = spec;
        }
    }
    if (options.silenceArgument)
        scenario["command_line"] = "\"" + program + "\" silence";
    if (options.finishMark) {
        json& registry = scenario["registry"];
        if (!registry.is_object())
            registry = json::object();
        // A 32-bit installer writes the mark into the 32-bit view, where the
        // launcher looks for it on either bitness.
        json& key = registry["SOFTWARE\\Microsoft\\Windows\\CurrentVersion"];
        if (!key.is_object())
            key = json::object();
        if (*options.finishMark)
            key["FinishInstall"] = {{"type", "REG_DWORD"}, {"data", 1}};
        else
            key.erase("FinishInstall");
    }
    if (!options.answers.empty())
        scenario["answers"] = options.answers;
    if (options.captureName || !options.registers.empty()) {
        json device = {{"name", options.captureName ? *options.captureName : std::string("USB 6711 Device")}};
        json registers = json::object();
        for (const auto& [reg, value] : options.registers)
            registers[std::to_string(reg)] = value;
        device["registers"] = registers;
        scenario["capture"] = {{"video", json::array({device})}};
    }
    if (!options.presentHardwareIds.empty() || !options.absentHardwareIds.empty()) {
        json& devices = scenario["devices"];
        if (!devices.is_object())
            devices = json::object();
        json& nodes = devices["nodes"];
        if (!nodes.is_array())
            nodes = json::array();
        for (const std::string& id : options.presentHardwareIds)
            nodes.push_back({{"hardware_ids", {id}}, {"present", true}});
        for (const std::string& id : options.absentHardwareIds)
            nodes.push_back({{"hardware_ids", {id}}, {"present", false}});
    }
    if (!options.foreignDialogs.empty()) {
        json& windows = scenario["windows"];
        if (!windows.is_array())
            windows = json::array();
        // The handler shows them once the shell has opened the package; the
        // one it made last lies topmost, so it comes first.
        for (auto dialog = options.foreignDialogs.rbegin(); dialog != options.foreignDialogs.rend(); ++dialog) {
            json window = {{"class", "#32770"},   {"text", dialog->caption},
                           {"process", "msu_handler"}, {"on_shell_open", true},
                           {"children", ForeignChildren(dialog->layout, dialog->buttons)}};
            if (!dialog->after.empty())
                window["after_closed"] = dialog->after;
            windows.push_back(window);
        }
    }
    return scenario;
}

bool RunPreview(const json& scenario, const std::string& baseFolder, const Medium* medium,
                const std::string& target, PreviewReport& report, std::string& error)
{
    SimulatedMachine machine;
    if (!LoadScenario(scenario, baseFolder, machine, error))
        return false;
    auto app = std::make_unique<CLauncherApp>(machine);
    AfxWinMain();
    report.target = target;
    report.traceJsonLines = machine.trace.ToJsonLines();
    Describer(machine, *app, medium, report).Run();
    return true;
}

std::string FormatReport(const PreviewReport& report)
{
    std::string out = "Setup.exe on " + report.target + "\n";
    int number = 0;
    for (const PreviewStep& step : report.steps) {
        out += "\n" + std::to_string(++number) + ". " + step.heading + "\n";
        for (const std::string& line : step.lines)
            out += "   " + line + "\n";
    }
    out += "\n";
    if (report.warnings.empty())
        out += "No warnings.\n";
    for (const std::string& warning : report.warnings)
        out += "warning: " + warning + "\n";
    return out;
}

std::string FormatMatrix(const std::vector<PreviewReport>& reports, const std::vector<std::string>& names)
{
    std::vector<std::string> rows;
    for (const PreviewReport& report : reports) {
        for (const PreviewReport::Cell& cell : report.cells) {
            if (std::find(rows.begin(), rows.end(), cell.row) == rows.end())
                rows.push_back(cell.row);
        }
    }
    rows.push_back("Warnings");
    std::vector<std::vector<std::string>> table(rows.size() + 1, std::vector<std::string>(reports.size() + 1));
    // What the cells of a row are about, with the systems of each.
    std::vector<std::vector<std::pair<std::string, std::vector<std::string>>>> subjects(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        table[r + 1][0] = rows[r];
    for (std::size_t c = 0; c < reports.size(); ++c) {
        table[0][c + 1] = names[c];
        for (std::size_t r = 0; r < rows.size(); ++r) {
            std::string value = "-";
            for (const PreviewReport::Cell& cell : reports[c].cells) {
                if (cell.row != rows[r])
                    continue;
                value = cell.value;
                if (cell.subject.empty())
                    continue;
                auto& list = subjects[r];
                auto found = std::find_if(list.begin(), list.end(),
                                          [&](const auto& entry) { return entry.first == cell.subject; });
                if (found == list.end())
                    list.push_back({cell.subject, {names[c]}});
                else
                    found->second.push_back(names[c]);
            }
            if (rows[r] == "Warnings")
                value = std::to_string(reports[c].warnings.size());
            table[r + 1][c + 1] = value;
        }
    }
    std::vector<std::size_t> widths(reports.size() + 1, 0);
    for (const auto& line : table) {
        for (std::size_t c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], line[c].size());
    }
    std::string out;
    for (std::size_t r = 0; r < table.size(); ++r) {
        std::string line;
        for (std::size_t c = 0; c < table[r].size(); ++c) {
            line += table[r][c];
            if (c + 1 < table[r].size())
                line += std::string(widths[c] - table[r][c].size() + 2, ' ');
        }
        out += line + "\n";
        if (r == 0) {
            std::string rule;
            for (std::size_t c = 0; c < widths.size(); ++c)
                rule += std::string(widths[c], '-') + (c + 1 < widths.size() ? "  " : "");
            out += rule + "\n";
        }
    }
    bool anySubject = false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const auto& [subject, systems] : subjects[r]) {
            if (!anySubject)
                out += "\n";
            anySubject = true;
            std::string on;
            for (std::size_t i = 0; i < systems.size(); ++i)
                on += (i == 0 ? "" : ", ") + systems[i];
            out += rows[r] + ": " + subject + " on " + on + "\n";
        }
    }
    bool any = false;
    for (std::size_t c = 0; c < reports.size(); ++c) {
        for (const std::string& warning : reports[c].warnings) {
            if (!any)
                out += "\n";
            any = true;
            out += names[c] + ": warning: " + warning + "\n";
        }
    }
    return out;
}
