// The communications page: port list, line settings, Test, link lamps and
// the stored settings. The firmware update is in ComPortFirmware.cpp.
#include "ui/comport/CVX18D_ComPort.h"

#include "platform/MessageBox.h"
#include "platform/PortProbe.h"
#include "platform/SerialDevice.h"
#include "protocol/CVX18D3_Comm.h"
#include "settings/SerialSettingsStore.h"
#include "settings/SettingsTables.h"
#include "ui/EnterSpaceAccelerator.h"
#include "ui/PageHandler.h"
#include "ui/comport/ComPortTemplate.h"
#include "ui/main/CVX18DDlg.h"
#include "unit/Readouts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <utility>

namespace vx::ui {
namespace {

constexpr int kHighestPortNumber = 255;
constexpr plat::DWORD kDefaultBaudRate = 57600;
// The firmware before this date cannot be loaded from here when the
// companion board is fitted.

constexpr const char* kPortErrorTitle = "Com Port Error";

void ShowPortError(const char* text) {
    plat::ShowMessageBox(text, kPortErrorTitle, plat::MB_OK | plat::MB_ICONERROR, nullptr);
}

// The width a closed list needs to show its longest label whole.
int WidthForLabels(const QComboBox& list) {
    int text = 0;
    for (int row = 0; row < list.count(); ++row)
        text = std::max(text, list.fontMetrics().horizontalAdvance(list.itemText(row)));
    QStyleOptionComboBox option;
    option.initFrom(&list);
    return list.style()
        ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, list.height()), &list)
        .width();
}

int RowOfRate(plat::DWORD rate) {
    for (std::size_t row = 0; row < BaudRateTable.size(); ++row) {
        if (BaudRateTable[row].rate == rate)
            return static_cast<int>(row);
    }
    return -1;
}

} // namespace

CVX18D_ComPort::CVX18D_ComPort(CVX18D3_Comm* comm, QWidget* parent, plat::HWND mainWindow)
    : TabPage(comm, parent), m_hMainWnd(mainWindow) {
    CreateFromTemplate(ComPortTemplate(), kComPortWidthDlu, kComPortHeightDlu);
    m_path = Item<QLineEdit>(IDC_FLASH_PATH);
    m_browse = Item<QPushButton>(IDC_BROWSE);
    m_load = Item<QPushButton>(IDC_LOAD);
    m_linkOk = Item<QWidget>(IDC_LINK_OK);
    m_linkFailed = Item<QWidget>(IDC_LINK_FAILED);
    m_test = Item<QPushButton>(IDC_TEST);
    m_stopBitsList = Item<QComboBox>(IDC_STOP_BITS_LIST);
    m_parityList = Item<QComboBox>(IDC_PARITY_LIST);
    m_baudList = Item<QComboBox>(IDC_BAUD_RATE_LIST);
    m_portList = Item<QComboBox>(IDC_COM_PORT_LIST);

    connect(m_test, &QPushButton::clicked, this, &CVX18D_ComPort::OnTest);
    connect(m_browse, &QPushButton::clicked, this, &CVX18D_ComPort::OnBrowse);
    connect(m_load, &QPushButton::clicked, this, &CVX18D_ComPort::OnLoad);

    OnInitDialog();
}

CVX18D_ComPort::~CVX18D_ComPort() = default;

plat::BOOL CVX18D_ComPort::OnInitDialog() {
    setWindowTitle(QStringLiteral("Com Port"));

    ProbePorts();
    if (m_ports.empty()) {
        plat::ShowMessageBox("No Serial Ports found.", "Serial Port Error",
                             plat::MB_OK | plat::MB_ICONERROR, static_cast<const QWidget*>(this));
        return plat::FALSE;
    }

    FillLists();
    SelectOpenPortSettings();
    m_dwTimeout = static_cast<plat::DWORD>(m_pComm->m_nTimeout);
    RefreshLinkIndicator();
    EnableFirmwareControls();
    return plat::TRUE;
}

void CVX18D_ComPort::ProbePorts() {
    for (int number = 1; number <= kHighestPortNumber; ++number) {
        vx::SerialPortSettings record{};
        std::snprintf(record.portName, 7, "COM%d", number);
        record.commConfig.dwSize = 52;
        plat::DWORD size = 52;
        if (plat::GetDefaultCommConfig(record.portName, &record.commConfig, &size) &&
            record.commConfig.dwProviderSubType == plat::PST_RS232)
            m_ports.push_back(record);
    }
}

void CVX18D_ComPort::FillLists() {
    for (const vx::SerialPortSettings& record : m_ports) {
        m_portList->addItem(QString::fromLatin1(record.portName));
        if (const auto device = plat::ProbeSerialPort(record.portName)) {
            m_portList->setItemData(m_portList->count() - 1,
                                    QString::fromStdString(plat::DescribeForOperator(*device)),
                                    Qt::ToolTipRole);
        }
    }
    // The closed list tells which device the chosen name reaches, too.
    connect(m_portList, &QComboBox::currentIndexChanged, this, [this](int row) {
        m_portList->setToolTip(m_portList->itemData(row, Qt::ToolTipRole).toString());
    });
    for (const BaudRateEntry& entry : BaudRateTable)
        m_baudList->addItem(QString::fromLatin1(entry.label));
    for (const CodeLabel& entry : ParityTable)
        m_parityList->addItem(QString::fromLatin1(entry.label));
    for (const CodeLabel& entry : StopBitsTable)
        m_stopBitsList->addItem(QString::fromLatin1(entry.label));
    FitListsToLabels();
}

void CVX18D_ComPort::FitListsToLabels() {
    // The lists are as wide as the template says, or as wide as their longest
    // label ("921600, MOXA Max") needs; the notes beside them keep their
    // distance.
    const std::pair<QComboBox*, int> rows[] = {{m_portList, IDC_COM_PORT_NOTE},
                                               {m_baudList, IDC_BAUD_RATE_NOTE},
                                               {m_parityList, IDC_PARITY_NOTE},
                                               {m_stopBitsList, IDC_STOP_BITS_NOTE}};
    int width = 0;
    for (const auto& [list, note] : rows)
        width = std::max({width, list->width(), WidthForLabels(*list)});
    for (const auto& [list, noteId] : rows) {
        QLabel* note = Item<QLabel>(noteId);
        const int gap = note->x() - list->geometry().right();
        list->resize(width, list->height());
        note->move(list->geometry().right() + gap, note->y());
    }
}

void CVX18D_ComPort::SelectOpenPortSettings() {
    vx::SerialPortSettings* open = m_pComm->m_pPort ? m_pComm->m_pPort->GetSettings() : nullptr;
    if (open)
        m_strPortName.assign(open->portName, strnlen(open->portName, sizeof open->portName));
    int portRow = 0;
    for (std::size_t row = 0; row < m_ports.size(); ++row) {
        if (strcasecmp(m_ports[row].portName, m_strPortName.c_str()) == 0) {
            portRow = static_cast<int>(row);
            break;
        }
    }
    m_portList->setCurrentIndex(portRow);

    // The line settings the last ApplySettings left in the record's DCB.
    const plat::DCB dcb = open ? open->commConfig.dcb : plat::DCB{};
    m_dwBaudRate = dcb.BaudRate;
    const int rateRow = RowOfRate(m_dwBaudRate);
    m_baudList->setCurrentIndex(rateRow >= 0 ? rateRow : RowOfRate(kDefaultBaudRate));
    m_dwParity = dcb.Parity;
    m_parityList->setCurrentIndex(m_dwParity < ParityTable.size() ? static_cast<int>(m_dwParity)
                                                                  : 0);
    m_dwStopBits = dcb.StopBits;
    m_stopBitsList->setCurrentIndex(
        m_dwStopBits < StopBitsTable.size() ? static_cast<int>(m_dwStopBits) : 0);
}

void CVX18D_ComPort::EnableFirmwareControls() {
    if (!FirmwareLoadAllowed(*m_pComm))
        return;
    m_path->setEnabled(true);
    m_browse->setEnabled(true);
    m_load->setEnabled(true);
}

void CVX18D_ComPort::RefreshLinkIndicator() {
    const bool linked = m_pComm->m_nLastResult != 0;
    m_linkOk->setVisible(linked);
    m_linkFailed->setVisible(!linked);
    Sound(linked ? kComPortTones.linkOk : kComPortTones.linkFailed);
}

void CVX18D_ComPort::OnTest() {
    // Nothing to test without a port and its settings.
    vx::CBaseClass* port = m_pComm->m_pPort;
    vx::SerialPortSettings* settings = port ? port->GetSettings() : nullptr;
    const int portRow = m_portList->currentIndex();
    if (!settings || portRow < 0 || static_cast<std::size_t>(portRow) >= m_ports.size() ||
        m_baudList->currentIndex() < 0 || m_parityList->currentIndex() < 0 ||
        m_stopBitsList->currentIndex() < 0)
        return;

    port->Close();

    m_nSelectedPort = static_cast<unsigned>(portRow);
    vx::SerialPortSettings& record = m_ports[m_nSelectedPort];
    m_strPortName.assign(record.portName, strnlen(record.portName, sizeof record.portName));
    m_dwBaudRate = BaudRateTable[static_cast<std::size_t>(m_baudList->currentIndex())].rate;
    m_dwParity = ParityTable[static_cast<std::size_t>(m_parityList->currentIndex())].code;
    m_dwStopBits = StopBitsTable[static_cast<std::size_t>(m_stopBitsList->currentIndex())].code;

    record.baudRate = m_dwBaudRate;
    record.parity = static_cast<plat::BYTE>(m_dwParity);
    record.stopBits = static_cast<plat::BYTE>(m_dwStopBits);
    record.byteSize = 8;
    *settings = record;

    if (!port->Open()) {
        ShowPortError("Cannot open Com Port.");
        return;
    }
    if (!port->ApplySettings()) {
        ShowPortError("Cannot configure Com Port.");
        return;
    }
    if (!port->SetTimeouts(0, 200, 0, 0, 0)) {
        ShowPortError("Cannot set Com Port Timeouts.");
        return;
    }
    port->FlushInput();
    m_pComm->m_nTimeout = static_cast<std::int32_t>(m_dwTimeout);

    const bool reached = m_pComm->Ping(0) && m_pComm->m_nLastResult;
    if (reached)
        SaveSerialSettings();
    RefreshLinkIndicator();
    // The main window tells the operator what a unit found now means.
    if (reached && m_hMainWnd)
        m_hMainWnd->SendMessage(WM_UNIT_REACHED, 0, 0);
}

plat::BOOL CVX18D_ComPort::SaveSerialSettings() {
    return vx::SaveSerialSettings(vx::StoredSerialSettings{m_strPortName, m_dwBaudRate, m_dwParity,
                                                           m_dwStopBits, m_dwTimeout});
}

void CVX18D_ComPort::OnKeyDown(plat::UINT virtualKey) {
    // Neither key activates a control here; a blank typed into the path is text.
    if (virtualKey == VK_SPACE && m_path->hasFocus() && m_path->isEnabled()) {
        m_path->insert(QStringLiteral(" "));
        return;
    }
    TabPage::OnKeyDown(virtualKey);
}

} // namespace vx::ui
