// A modal dialog on a dialog-template resource.
#pragma once

#include "framework/Wnd.h"

// Moves data between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate)
    {
    }

    // A control whose value is not acceptable: the exchange fails.
    void Fail() { m_failed = true; }
    bool Failed() const { return m_failed; }

    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate; // true: from the controls into the members

private:
    bool m_failed = false;
};

class CDialog : public CWnd, private DialogHost {
public:
    explicit CDialog(int templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until it ends; its result, or -1 when it could not be
    // created.
    virtual win::INT_PTR DoModal();
    // Called before the dialog is shown. TRUE: the dialog manager sets the
    // focus to the first tab stop.
    virtual win::BOOL OnInitDialog();

    // Ends the dialog with `result`. Ended from inside OnInitDialog, the
    // dialog is never shown.
    void EndDialog(int result);
    // Data exchange; false when a control's value was refused.
    bool UpdateData(bool saveAndValidate = true);

protected:
    const MessageMap* GetMessageMap() const override;
    virtual void DoDataExchange(CDataExchange* exchange);
    // IDOK: data exchange from the controls, then the end with IDOK.
    virtual void OnOK();
    // IDCANCEL: the end with IDCANCEL.
    virtual void OnCancel();

    static const MessageMap kMessageMap;

private:
    win::INT_PTR DialogProc(win::HWND dialog, win::UINT message, win::WPARAM wParam,
                            win::LPARAM lParam) override;

    static const MessageMapEntry kMessageEntries[];

    int m_templateId;
    CWnd* m_pParentWnd;
};
