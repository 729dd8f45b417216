#include "ui/LauncherDlg.h"

#include "app/LauncherApp.h"
#include "framework/PaintDC.h"
#include "platform/WinConstants.h"

namespace {

CLauncherApp& App() { return static_cast<CLauncherApp&>(*AfxGetApp()); }

} // namespace

const MessageMapEntry CLauncherDlg::kMessageEntries[] = {
    // message                command ID  handler
    {win::WM_PAINT, 0, &handler::Plain<CLauncherDlg, &CLauncherDlg::OnPaint>},
    {win::WM_QUERYDRAGICON, 0, &handler::ReturnsCursor<CLauncherDlg, &CLauncherDlg::OnQueryDragIcon>},
    {win::WM_TIMER, 0, &handler::TimerId<CLauncherDlg, &CLauncherDlg::OnTimer>},
    {0, 0, nullptr}};

const MessageMap CLauncherDlg::kMessageMap = {&CDialog::kMessageMap, kMessageEntries};

const MessageMap* CLauncherDlg::GetMessageMap() const { return &kMessageMap; }

CLauncherDlg::CLauncherDlg(CWnd* parent)
    : CDialog(IDD, parent), m_hIcon(AfxGetApp()->LoadIcon(kIconId))
{
}

CLauncherDlg::~CLauncherDlg() = default;

void CLauncherDlg::DoDataExchange(CDataExchange* exchange) { CDialog::DoDataExchange(exchange); }

win::BOOL CLauncherDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessage(win::WM_SETICON, win::ICON_BIG, reinterpret_cast<win::LPARAM>(m_hIcon));
    SendMessage(win::WM_SETICON, win::ICON_SMALL, reinterpret_cast<win::LPARAM>(m_hIcon));

    const CLauncherApp& app = App();
    if (app.HotfixLaunched != 0 && app.Settings.EnableTimer != 0) {
        // The period as read: a negative number becomes a large unsigned one.
        SetTimer(kWaitTimerId, static_cast<win::UINT>(app.Settings.WaitTimer));
    } else {
        // Nothing to wait for: the run finishes before the dialog is shown.
        OnOK();
    }
    return win::TRUE;
}

void CLauncherDlg::OnPaint()
{
    if (!IsIconic()) {
        CWnd::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(win::WM_ICONERASEBKGND, reinterpret_cast<win::WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = m_os.GetSystemMetrics(win::SM_CXICON);
    const int cyIcon = m_os.GetSystemMetrics(win::SM_CYICON);
    win::RECT rect = {};
    GetClientRect(&rect);
    // Signed, truncating toward zero: a client area narrower than the icon
    // puts it at -5, not -6, for 20 pixels.
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

win::HCURSOR CLauncherDlg::OnQueryDragIcon() { return m_hIcon; }

void CLauncherDlg::OnTimer(win::UINT_PTR id)
{
    ShowWindow(win::SW_HIDE);
    if (id == kWaitTimerId)
        ConfirmForeignDialogs();
    CWnd::OnTimer(id);
}

void CLauncherDlg::OnOK()
{
    const LauncherSettings& settings = App().Settings;
    if (settings.HotfixMustRebootMessage == 0) {
        CDialog::OnOK();
        return;
    }
    if (MessageBox(settings.HotfixReBoot, settings.Setup, win::MB_OKCANCEL) == win::IDOK)
        RestartSystem();
    CDialog::OnCancel();
}
