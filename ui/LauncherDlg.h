// The completion dialog: the last window of a run. While update packages run
// it waits on timer 300, hidden on every tick, and confirms the foreign
// dialogs they raise; its finish path may offer a restart.
#pragma once

#include "framework/Dialog.h"

class CLauncherDlg : public CDialog {
public:
    static constexpr int IDD = 102;
    static constexpr int kIconId = 128;
    static constexpr win::UINT_PTR kWaitTimerId = 300;

    explicit CLauncherDlg(CWnd* parent = nullptr);
    ~CLauncherDlg() override;

    // One tick's work: presses the buttons of foreign dialogs of the two known
    // layouts, and takes the finish path once a press ends the wait.
    void ConfirmForeignDialogs();
    // Enables the shutdown privilege and asks the system for a restart.
    void RestartSystem();

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* exchange) override;
    win::BOOL OnInitDialog() override;
    // The finish path.
    void OnOK() override;

    void OnPaint();
    win::HCURSOR OnQueryDragIcon();
    void OnTimer(win::UINT_PTR id);

    win::HICON m_hIcon;

private:
    static const MessageMapEntry kMessageEntries[];
    static const MessageMap kMessageMap;
};
