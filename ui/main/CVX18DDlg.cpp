#include "ui/main/CVX18DDlg.h"

#include "app/ProgramRestart.h"
#include "platform/ConfigPaths.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/SystemMessage.h"
#include "protocol/CVX18D3_Comm.h"
#include "text/StatusFormat.h"
#include "ui/DialogTemplate.h"
#include "ui/EnterSpaceAccelerator.h"
#include "ui/IndicatorImages.h"
#include "ui/comport/CVX18D_ComPort.h"
#include "ui/main/CAboutDlg.h"
#include "ui/main/LampLayout.h"
#include "ui/main/MainDialogTemplate.h"
#include "ui/main/StatusDisplay.h"
#include "ui/main/StatusWorker.h"
#include "ui/main/WindowMessageGate.h"
#include "ui/monitor/TrafficMonitor.h"
#include "ui/refclk/CVX18D_RefClk.h"
#include "ui/setup/CVX18D_SetupDCn.h"
#include "unit/Readouts.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <vector>

namespace vx::ui {
namespace {

constexpr std::chrono::milliseconds kWorkerStopLimit{2000};

// The scroll area around the window's controls: its natural size is that of
// the laid-out controls, so the window asks for no less unless the screen
// is smaller.
class ClientScrollArea : public QScrollArea {
public:
    explicit ClientScrollArea(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(false);
    }
    QSize sizeHint() const override {
        return widget() ? widget()->size() : QScrollArea::sizeHint();
    }
};

// A control of the template that has no identifier, by its text.
template <class T> T* ChildWithText(QWidget* parent, const QString& text) {
    for (T* child : parent->findChildren<T*>(Qt::FindDirectChildrenOnly)) {
        if constexpr (std::is_same_v<T, QGroupBox>) {
            if (child->title() == text)
                return child;
        } else if (child->text() == text) {
            return child;
        }
    }
    return nullptr;
}

// Fits the lamps to the font and style the window is shown with.
void PlaceLamps(const DialogControls& controls, QWidget* client) {
    for (const ReceiverControlIds& ids : kReceiverControlIds) {
        CentreWordsOverLamps(controls.Get<QLabel>(ids.loHeading),
                             {controls.Find(ids.lo2Green), controls.Find(ids.lo1Green)});
    }
    if (const auto* refClk = ChildWithText<QGroupBox>(client, QStringLiteral("Ref Clk"))) {
        FitLampsInFrame(refClk,
                        {controls.Find(IDC_PLL_SYNCHED), controls.Find(IDC_PLL_NOT_SYNCHED)},
                        ChildWithText<QLabel>(client, QStringLiteral("PLL Synched")));
    }
}

bool HasBands(const CVX18D3_Comm& comm, plat::UINT receiver) {
    for (int band = 0; band < 4; ++band) {
        if (comm.m_nBandLow[receiver][band] != 0 || comm.m_nBandHigh[receiver][band] != 0)
            return true;
    }
    return false;
}

} // namespace

CVX18DDlg::CVX18DDlg(CVX18D3_Comm* comm, int offline, QWidget* parent)
    : QDialog(parent), m_pComm(comm), m_bOffline(offline), m_restart([this] {
          RequestProgramRestart();
          reject();
      }) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Desktops without a system menu get its equivalent as the window's menu.
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    m_systemMenu = m_menuBar->addMenu(QStringLiteral("&Window"));
    m_systemMenu->setObjectName(QStringLiteral("systemMenu"));
    m_systemMenu->addAction(QStringLiteral("Mi&nimize"))->setData(SC_MINIMIZE);
    m_systemMenu->addAction(QStringLiteral("&Close"))->setData(SC_CLOSE);
    connect(m_systemMenu, &QMenu::triggered, this,
            [this](QAction* action) { OnSysCommand(action->data().toUInt()); });
    layout->setMenuBar(m_menuBar);

    // The controls keep the template's size; on a screen too small for it
    // the window shrinks and they scroll (see FitToScreen).
    m_scroll = new ClientScrollArea(this);
    m_client = new QWidget;
    const DialogUnits units(m_client->font());
    m_client->setFixedSize(units.Size(kMainDialogWidthDlu, kMainDialogHeightDlu));
    m_scroll->setWidget(m_client);
    layout->addWidget(m_scroll);

    m_controls = std::make_unique<DialogControls>(m_client, MainDialogTemplate(), units);
    PlaceLamps(*m_controls, m_client);
    m_display = std::make_unique<StatusDisplay>(*m_controls);
    m_status = m_controls->Get<QPushButton>(IDC_STATUS);
    m_record = m_controls->Get<QPushButton>(IDC_RECORD);
    m_spin = m_controls->Get<QSpinBox>(IDC_SAMPLE_RATE_SPIN);
    m_tab = m_controls->Get<QTabWidget>(IDC_TAB);
    m_frame = m_controls->Find(IDC_PAGE_FRAME);

    connect(m_status, &QPushButton::clicked, this, &CVX18DDlg::OnStatusButton);
    connect(m_record, &QPushButton::clicked, this, &CVX18DDlg::OnRecordButton);
    connect(m_spin, &QSpinBox::valueChanged, this, &CVX18DDlg::OnSampleRateChanged);
    connect(m_tab, &QTabWidget::currentChanged, this, [this] { SelectPage(); });

    // Messages from the worker arrive through the gate on this window's
    // thread. A poll still queued when polling has been switched off is
    // dropped, so no exchange follows Status off or a firmware load's stop.
    m_gate = std::make_shared<WindowMessageGate>(
        this, [this](plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
            if ((message == WM_STATUS_POLL || message == WM_AM_COUNTER_POLL) &&
                g_bPolling.load() == 0)
                return plat::LRESULT{0};
            return SendMessage(message, wParam, lParam);
        });
    ResetStatusGlobals();
    m_hWorker = std::make_unique<StatusWorker>(m_gate);
}

CVX18DDlg::~CVX18DDlg() {
    DestroyWindow();
}

plat::BOOL CVX18DDlg::OnInitDialog() {
    if (m_bInitialised)
        return plat::TRUE;
    m_bInitialised = true;

    m_systemMenu->addSeparator();
    QAction* monitor = m_systemMenu->addAction(QString::fromLatin1(kTrafficMonitorMenuText));
    monitor->setData(IDM_TRAFFIC_MONITOR);
    monitor->setEnabled(m_pTrafficLog != nullptr);
    m_systemMenu->addAction(QString::fromLatin1(kAboutMenuText))->setData(IDM_ABOUTBOX);

    setWindowIcon(LoadImageResource(IDR_MAINFRAME));
    m_hAccel = new EnterSpaceAccelerator(
        this, [this](plat::UINT key) { OnAcceleratorCommand(TranslateEnterSpace(key)); });
    ShowTitle();

    m_display->ShowInitialState();
    {
        const QSignalBlocker blocker(m_spin);
        m_spin->setRange(1, 10);
    }

    if (m_bOffline == 0)
        StartUpReadout(*m_pComm);

    // A stored rate of 0 has no wait of its own: it counts as the default.
    std::uint32_t rate = m_pComm->LoadStatusSampleRate();
    if (rate == 0)
        rate = kDefaultSamplesPerSecond;
    g_nSamplesPerSecond = rate;
    {
        const QSignalBlocker blocker(m_spin);
        m_spin->setValue(static_cast<int>(rate));
    }

    CreatePages();

    {
        const QSignalBlocker blocker(m_tab);
        if (!m_pSetupPage[0] && !m_pSetupPage[1]) {
            // No receiver to set up: the operator stays on the communications page.
            m_nCurPage = kPageComPort;
            m_tab->setCurrentIndex(1);
            m_tab->setEnabled(false);
        } else {
            m_nCurPage = kPageReceiver1;
            m_tab->setCurrentIndex(0);
        }
    }

    m_display->SetFmDeviationAvailable(m_pComm->m_bCompanionBoard == 0);
    ShowTitle(); // the pages have read the serial number
    SelectPage();
    for (plat::UINT rx = 0; rx < 2; ++rx) {
        if (!m_pSetupPage[rx])
            m_display->GreyOutReceiver(rx);
    }

    g_hMainWnd = m_gate.get();
    if (m_bOffline == 0) {
        g_bPolling = 1;
        m_status->setChecked(true);
    } else {
        g_bPolling = 0;
        m_status->setChecked(false);
        StopRecording();
    }
    {
        const QSignalBlocker blocker(m_spin);
        m_spin->setValue(static_cast<int>(g_nSamplesPerSecond.load() & 0xFF));
    }
    return plat::TRUE;
}

void CVX18DDlg::CreatePages() {
    const QRect frame = m_frame->geometry();
    int tabIndex = 0;
    auto place = [&](TabPage* page) {
        page->setGeometry(frame);
        page->raise();
        page->m_strAppDir = m_strAppDir;
        {
            const QSignalBlocker blocker(m_tab);
            // The tab control only names the pages; each page is a window of its own.
            m_tab->insertTab(tabIndex++, new QWidget, page->windowTitle());
        }
        page->update();
    };
    for (plat::UINT rx = 0; rx < 2; ++rx) {
        if (HasBands(*m_pComm, rx)) {
            m_pSetupPage[rx] = new CVX18D_SetupDCn(m_pComm, rx, m_bOffline, m_client);
            place(m_pSetupPage[rx]);
        }
    }
    m_pRefClkPage = new CVX18D_RefClk(m_pComm, m_bOffline, m_client);
    place(m_pRefClkPage);
    m_pComPortPage = new CVX18D_ComPort(m_pComm, m_client, m_gate.get());
    place(m_pComPortPage);
}

QWidget* CVX18DDlg::PageWindow(plat::UINT page) const {
    switch (page) {
    case kPageReceiver1:
        return m_pSetupPage[0];
    case kPageReceiver2:
        return m_pSetupPage[1];
    case kPageRefClk:
        return m_pRefClkPage;
    case kPageComPort:
        return m_pComPortPage;
    default:
        return nullptr;
    }
}

CVX18D_SetupDCn* CVX18DDlg::SetupPage(plat::UINT receiver) const {
    return receiver < 2 ? m_pSetupPage[receiver] : nullptr;
}

int CVX18DDlg::AgcZeroShown(plat::UINT receiver) const {
    return m_display->AgcZeroShown(receiver);
}

void CVX18DDlg::SelectPage() {
    // Tab i shows the i-th of the pages that exist, in page order.
    std::vector<plat::UINT> existing;
    for (plat::UINT page = kPageReceiver1; page <= kPageComPort; ++page) {
        if (PageWindow(page))
            existing.push_back(page);
    }
    const int index = m_tab->currentIndex();
    m_nCurPage = index >= 0 && static_cast<std::size_t>(index) < existing.size()
                     ? existing[static_cast<std::size_t>(index)]
                     : kPageComPort;

    for (plat::UINT page = kPageReceiver1; page <= kPageComPort; ++page) {
        QWidget* window = PageWindow(page);
        if (!window || page == m_nCurPage)
            continue;
        window->setEnabled(false);
        window->hide();
    }
    if (QWidget* shown = PageWindow(m_nCurPage)) {
        shown->setEnabled(true);
        shown->show();
    }

    switch (m_nCurPage) {
    case kPageReceiver1:
    case kPageReceiver2:
        if (CVX18D_SetupDCn* page = m_pSetupPage[m_nCurPage])
            page->RefreshOnShow();
        break;
    case kPageRefClk:
        if (m_pRefClkPage)
            m_pRefClkPage->RefreshFromUnit();
        break;
    default:
        if (m_pComPortPage)
            m_pComPortPage->RefreshLinkIndicator();
        break;
    }
}

void CVX18DDlg::OnAcceleratorCommand(plat::UINT command) {
    plat::UINT key = 0;
    if (command == ID_ACCEL_ENTER)
        key = VK_RETURN;
    else if (command == ID_ACCEL_SPACE)
        key = VK_SPACE;
    QWidget* page = PageWindow(m_nCurPage);
    if (key == 0 || !page)
        return;
    QCoreApplication::postEvent(page, MakeKeyDown(key)); // the event queue owns the event
}

void CVX18DDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && !m_bFitted) {
        m_bFitted = true;
        FitToScreen();
    }
    // The dialog places itself on the screen here, with the size now set.
    QDialog::showEvent(event);
}

void CVX18DDlg::FitToScreen() {
    const QSize natural = sizeHint();
    setMaximumSize(natural);
    const QScreen* screen = this->screen();
    if (!screen) {
        resize(natural);
        return;
    }
    // The frame's extent is known once the window system has a window for
    // it; a window manager that adds it later keeps the window on the
    // screen itself.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize room = screen->availableGeometry().size() -
                       QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    if (natural.width() <= room.width() && natural.height() <= room.height()) {
        resize(natural);
        return;
    }
    // Cut to the screen; where a scroll bar is needed, room for it is taken
    // from the other direction while the screen has some.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    QSize size = natural.boundedTo(room);
    if (size.height() < natural.height())
        size.setWidth(std::min(natural.width() + bar, room.width()));
    if (size.width() < natural.width())
        size.setHeight(std::min(natural.height() + bar, room.height()));
    setMaximumSize(natural + QSize(bar, bar));
    resize(size);
}

int CVX18DDlg::DoModal() {
    OnInitDialog();
    const int result = exec();
    DestroyWindow();
    return result == QDialog::Accepted ? 1 : 2;
}

void CVX18DDlg::DestroyWindow() {
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;

    g_bPolling = 0;
    g_bWorkerRun = 0;
    // No message of the worker is handled from here on, and a worker that
    // waits for one is released at once.
    m_gate->Close();
    plat::HWND self = m_gate.get();
    g_hMainWnd.compare_exchange_strong(self, nullptr);
    m_hWorker->Stop(kWorkerStopLimit);

    CloseRecordFile();
    g_bRecording = 0;

    // The controls outlive this call; nothing they signal reaches the handlers any more.
    for (QObject* control :
         std::initializer_list<QObject*>{m_tab, m_spin, m_status, m_record, m_systemMenu})
        control->disconnect(this);

    delete m_pSetupPage[0];
    m_pSetupPage[0] = nullptr;
    delete m_pSetupPage[1];
    m_pSetupPage[1] = nullptr;
    delete m_pRefClkPage;
    m_pRefClkPage = nullptr;
    delete m_pComPortPage;
    m_pComPortPage = nullptr;
    delete m_pTrafficMonitor;
    m_pTrafficMonitor = nullptr;

    hide();
}

plat::LRESULT CVX18DDlg::SendMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
    switch (message) {
    case WM_PING_UNIT:
        return OnPing();
    case WM_STATUS_POLL:
        return OnStatusPoll();
    case WM_AM_COUNTER_POLL:
        return OnAmCounterPoll();
    case WM_STOP_POLLING:
        return OnStopPolling();
    case WM_REGISTRY_ERROR_BOX:
        return OnRegistryError(static_cast<plat::DWORD>(wParam));
    case WM_UNIT_REACHED:
        return OnUnitReached();
    default:
        return 0;
    }
}

void CVX18DDlg::OnSysCommand(plat::UINT command) {
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    } else if ((command & 0xFFF0) == IDM_TRAFFIC_MONITOR) {
        OpenTrafficMonitor();
    } else if ((command & 0xFFF0) == SC_MINIMIZE) {
        showMinimized();
    } else if ((command & 0xFFF0) == SC_CLOSE) {
        reject();
    }
}

void CVX18DDlg::OpenTrafficMonitor() {
    if (!m_pTrafficLog || m_bDestroyed)
        return;
    if (!m_pTrafficMonitor)
        m_pTrafficMonitor = new TrafficMonitor(*m_pTrafficLog, this);
    m_pTrafficMonitor->Open();
}

plat::LRESULT CVX18DDlg::OnPing() {
    m_pComm->Ping(0);
    m_pComm->MarkTraceBreak();
    return 0;
}

std::string CVX18DDlg::PortName() const {
    const SerialPortSettings* port = m_pComm->m_pPort ? m_pComm->m_pPort->GetSettings() : nullptr;
    return port ? std::string(port->portName, strnlen(port->portName, sizeof port->portName))
                : std::string();
}

void CVX18DDlg::ShowTitle() {
    QString title = QStringLiteral("Corvanta VX18D");
    if (const std::string port = PortName(); !port.empty())
        title += QStringLiteral(" - ") + QString::fromStdString(port);
    if (m_bOffline != 0)
        title += QStringLiteral(" - offline");
    else if (m_pComm->m_bIdentityLoaded)
        title += QStringLiteral(" - ") + QString::fromStdString(m_pComm->GetSerialNumberText(0));
    setWindowTitle(title);
}

plat::LRESULT CVX18DDlg::OnUnitReached() {
    ShowTitle(); // the port may be another one now
    if (m_bOffline == 0)
        return 0;
    // The pages were made for a unit that was not there: what they leave out
    // comes only with a new start.
    const int answer = plat::ShowMessageBox(
        "The unit answers on " + PortName() +
            ". The program started without it, so the receiver pages are missing and the "
            "reference clock page and the firmware load stay disabled until it starts again.\n\n"
            "Restart the program now?",
        "Unit Found", plat::MB_YESNO | plat::MB_ICONQUESTION | plat::MB_DEFBUTTON2, BoxOwner(),
        {"Restart", "Later"});
    if (answer == plat::IDYES && m_restart)
        m_restart();
    return 0;
}

plat::LRESULT CVX18DDlg::OnRegistryError(plat::DWORD errorCode) {
    char text[512];
    std::snprintf(text, sizeof text, "Operation returned:%lu, Meaning: %s",
                  static_cast<unsigned long>(errorCode),
                  plat::FormatSystemMessage(errorCode).c_str());
    plat::ShowMessageBox(plat::TrimRight(text), "Registry Error", plat::MB_OK | plat::MB_ICONERROR,
                         nullptr);
    return 0;
}

plat::LRESULT CVX18DDlg::OnStatusPoll() {
    m_lastStatus = PollStatus(*m_pComm, {m_pSetupPage[0] != nullptr, m_pSetupPage[1] != nullptr});
    m_display->ShowPllSynchronised(m_lastStatus.pllSynchronised);

    for (plat::UINT rx = 0; rx < 2; ++rx) {
        const StatusSample::Receiver& shown = m_lastStatus.receivers[rx];
        if (!shown.fitted)
            continue;
        m_display->ShowRssi(rx, shown.rssiDbm);
        m_display->ShowAmIndex(rx, shown.amIndex);
        m_display->ShowFmDeviation(rx, shown.fmDeviation);
        m_display->ShowLoLocks(rx, shown.lo2Locked, shown.lo1Locked);
        m_display->ShowAgcZero(rx, shown.agcZero);
    }

    for (plat::UINT rx = 0; rx < 2; ++rx) {
        CVX18D_SetupDCn* page = m_pSetupPage[rx];
        if (m_lastStatus.receivers[rx].agcZeroChanged && page) {
            // Posted: the page re-reads its ranges after this poll has ended.
            QMetaObject::invokeMethod(
                page, [page] { page->OnAgcZeroChanged(); }, Qt::QueuedConnection);
        }
    }

    if (g_bRecording.load() != 0)
        AppendRecordSample();
    return 0;
}

plat::LRESULT CVX18DDlg::OnAmCounterPoll() {
    PollAmCounters(*m_pComm, m_lastStatus);
    for (plat::UINT rx = 0; rx < 2; ++rx) {
        const StatusSample::Receiver& shown = m_lastStatus.receivers[rx];
        if (!shown.fitted)
            continue;
        m_display->ShowAmCounter(rx, shown.amCounterHz ? std::to_string(*shown.amCounterHz)
                                                       : std::string());
    }
    return 0;
}

plat::LRESULT CVX18DDlg::OnStopPolling() {
    g_bPolling = 0;
    m_status->setChecked(false);
    StopRecording();
    return 0;
}

void CVX18DDlg::OnStatusButton() {
    g_bPolling = g_bPolling.load() != 0 ? 0 : 1;
    if (g_bPolling.load() == 0) {
        m_status->setChecked(false);
        StopRecording();
    } else {
        m_status->setChecked(true);
    }
}

void CVX18DDlg::OnSampleRateChanged(int position) {
    g_nSamplesPerSecond = static_cast<std::uint32_t>(position);
    m_pComm->SaveStatusSampleRate(static_cast<plat::UINT>(position));
}

void CVX18DDlg::OnRecordButton() {
    if (g_bPolling.load() != 0)
        m_status->setChecked(true);
    g_bRecording = g_bRecording.load() != 0 ? 0 : 1;

    if (g_bRecording.load() == 0) {
        CloseRecordFile();
        m_record->setChecked(false);
        m_nSampleNumber = 0;
        return;
    }

    m_strReportFile = m_strAppDir + "VX18D_" + m_pComm->GetSerialNumberText(0) + ".csv";
    if (!m_strAppDir.empty())
        plat::EnsureDirectory(m_strAppDir);
    // The last recording of this unit keeps its lines under a name of its own.
    std::string keptAs;
    if (KeepEarlierRecording(m_strReportFile, m_FileError, keptAs) &&
        m_RecordFile.Open(m_strReportFile, m_FileError)) {
        if (!keptAs.empty())
            plat::OutputDebugString("Earlier recording kept as " + keptAs + "\r\n");
        m_record->setChecked(true);
        m_nSampleNumber = 1;
        return;
    }
    // Back to idle before the box, so that nothing tries to write meanwhile.
    g_bRecording = 0;
    m_record->setChecked(false);
    m_strReportFile.clear();
    ShowFileErrorBox(m_FileError);
}

void CVX18DDlg::ShowFileErrorBox(const FileError& error) {
    char text[64];
    std::snprintf(text, sizeof text, "CFileException::%u", error.cause);
    plat::ShowMessageBox(text, "File Creation Error", plat::MB_OK | plat::MB_ICONERROR, BoxOwner());
}

void CVX18DDlg::AppendRecordSample() {
    // A poll the unit did not answer has no reading to record: its number
    // is skipped, so the gap shows in the file.
    if (!m_lastStatus.ok) {
        ++m_nSampleNumber;
        return;
    }
    const std::string line = FormatRecordLine(m_nSampleNumber, m_lastStatus.receivers[0].rssiDbm,
                                              m_lastStatus.receivers[1].rssiDbm);
    FileError error;
    const RecordFile::AppendResult result = m_RecordFile.Append(line, error);
    ++m_nSampleNumber;
    if (result == RecordFile::AppendResult::written)
        return;
    ReportFileExceptionCause(error);
    if (result == RecordFile::AppendResult::lost)
        return; // the line is lost; the recording goes on
    // Part of the line is stuck at the end of the file, and every line
    // written after it would join it: the recording ends here. No poll
    // writes while the box is up.
    g_bRecording = 0;
    m_RecordFile.Close();
    ShowFileErrorBox(error);
    StopRecording();
}

void CVX18DDlg::CloseRecordFile() {
    m_RecordFile.Close();
    if (m_strReportFile.empty())
        return;
    const std::string path = std::move(m_strReportFile);
    m_strReportFile.clear();
    if (plat::ShellOpen(path) <= 32) {
        const plat::DWORD error = plat::GetLastError();
        char text[96];
        std::snprintf(text, sizeof text, "Cannot Open Report File for Editing, Error=%u",
                      static_cast<unsigned>(error));
        plat::ShowMessageBox(text, "Edit File Error", plat::MB_OK | plat::MB_ICONERROR, BoxOwner());
    }
}

void CVX18DDlg::StopRecording() {
    g_bRecording = 0;
    m_record->setChecked(false);
    CloseRecordFile();
}

int RunMainDialog(CVX18D3_Comm& comm, int offline, const std::string& appDir, TrafficLog* traffic) {
    auto dialog = std::make_unique<CVX18DDlg>(&comm, offline);
    dialog->m_strAppDir = appDir;
    dialog->m_pTrafficLog = traffic;
    const int result = dialog->DoModal();
    dialog.reset();
    return result;
}

} // namespace vx::ui
