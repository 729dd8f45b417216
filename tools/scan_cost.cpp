// Prints the window-manager calls that one foreign-dialog scan makes on the
// simulated machine, for 1, 10, 100 and 1,000 top-level dialogs. The dialogs
// are decoys (a first "Static" of another ID and two buttons), so both
// passes walk every one of them and nothing ends the scan early.
#include <iostream>
#include <string>

#include "app/LauncherApp.h"
#include "platform/sim/SimulatedMachine.h"
#include "ui/LauncherDlg.h"

namespace {

SimWindowSpec Decoy(int n)
{
    SimWindowSpec dialog;
    dialog.className = "#32770";
    dialog.text = "Decoy " + std::to_string(n);
    SimWindowSpec label;
    label.className = "Static";
    label.id = 51965;
    dialog.children.push_back(label);
    for (int id : {1, 2}) {
        SimWindowSpec button;
        button.className = "Button";
        button.id = id;
        dialog.children.push_back(button);
    }
    return dialog;
}

} // namespace

int main()
{
    std::cout << "dialogs  calls  per dialog  by function\n";
    for (int dialogs : {1, 10, 100, 1000}) {
        SimulatedMachine machine;
        for (int i = 0; i < dialogs; ++i)
            machine.windows.AddWindow(Decoy(i));
        CLauncherApp app(machine);
        CLauncherDlg dialog;
        machine.windows.ResetCallCounts();
        dialog.ConfirmForeignDialogs();
        const long calls = machine.windows.TotalCalls();
        std::cout << dialogs << "  " << calls << "  " << static_cast<double>(calls) / dialogs << " ";
        for (const auto& [function, count] : machine.windows.CallCounts())
            std::cout << " " << function << "=" << count;
        std::cout << "\n";
    }
    return 0;
}
