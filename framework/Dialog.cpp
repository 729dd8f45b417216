#include "framework/Dialog.h"

#include "framework/WinApp.h"
#include "platform/WinConstants.h"

const MessageMapEntry CDialog::kMessageEntries[] = {
    // message         command ID     handler
    {win::WM_COMMAND, win::IDOK, &handler::Plain<CDialog, &CDialog::OnOK>},
    {win::WM_COMMAND, win::IDCANCEL, &handler::Plain<CDialog, &CDialog::OnCancel>},
    {0, 0, nullptr}};

const MessageMap CDialog::kMessageMap = {&CWnd::kMessageMap, kMessageEntries};

const MessageMap* CDialog::GetMessageMap() const { return &kMessageMap; }

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

win::INT_PTR CDialog::DoModal()
{
    const win::HWND parent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    const win::INT_PTR result = m_os.DialogBoxParamA(AfxGetResourceHandle(), m_templateId, parent,
                                                     this);
    // The dialog manager has destroyed the window.
    m_hWnd = nullptr;
    return result;
}

win::BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return win::TRUE;
}

void CDialog::EndDialog(int result) { m_os.EndDialog(m_hWnd, result); }

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.Failed();
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(win::IDOK);
}

void CDialog::OnCancel() { EndDialog(win::IDCANCEL); }

win::INT_PTR CDialog::DialogProc(win::HWND dialog, win::UINT message, win::WPARAM wParam,
                                 win::LPARAM lParam)
{
    if (message == win::WM_INITDIALOG) {
        m_hWnd = dialog;
        win::RECT before = {};
        m_os.GetWindowRect(dialog, &before);
        const win::BOOL result = OnInitDialog();
        // A dialog that neither places itself (DS_CENTER, DS_CENTERMOUSE,
        // DS_ABSALIGN) nor was moved by its initialisation is centred.
        const auto style = static_cast<win::DWORD>(m_os.GetWindowLongA(dialog, win::GWL_STYLE));
        win::RECT after = {};
        m_os.GetWindowRect(dialog, &after);
        if ((style & (win::DS_CENTER | win::DS_CENTERMOUSE | win::DS_ABSALIGN)) == 0 &&
            before.left == after.left && before.top == after.top)
            CenterWindow();
        return result;
    }
    win::LRESULT result = 0;
    const bool handled = WindowProc(message, wParam, lParam, result);
    if (message == win::WM_NCDESTROY)
        m_hWnd = nullptr;
    if (!handled)
        return win::FALSE;
    // The few messages whose answer is a value give it straight back.
    return message == win::WM_QUERYDRAGICON ? static_cast<win::INT_PTR>(result) : win::TRUE;
}
