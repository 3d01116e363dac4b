#include "serial/CSerialCom.h"

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/SystemMessage.h"

#include <string>

namespace vx {

using namespace plat;

CSerialCom::CSerialCom(SerialPortSettings* settings) : m_settings(settings) {
    Open();
}

CSerialCom::~CSerialCom() {
    if (DeviceValid() && !CloseHandle(m_device))
        OutputDebugFormat("::CloseHandle() error: %u\r\n", GetLastError());
    m_device = 0;
}

bool CSerialCom::DeviceValid() const {
    return m_device != 0 && m_device != INVALID_HANDLE_VALUE;
}

BOOL CSerialCom::Open() {
    // A second open without a close first would lose the open device.
    if (DeviceValid())
        CloseHandle(m_device);
    const std::string path = std::string("\\\\.\\") + (m_settings ? m_settings->portName : "");
    m_device =
        CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
    if (DeviceValid()) {
        DWORD errors = 0;
        COMSTAT comStat;
        ClearCommError(m_device, &errors, &comStat);
        m_status = 1;
        return TRUE;
    }
    OutputDebugFormat("::CreateFile() error: %u\r\n", GetLastError());
    m_status = 0;
    m_device = 0;
    return FALSE;
}

void CSerialCom::Close() {
    if (DeviceValid() && !CloseHandle(m_device)) {
        m_status = 0;
        OutputDebugFormat("::CloseHandle() error: %u\r\n", GetLastError());
    }
    m_device = 0;
}

void CSerialCom::CloseAfterFailure(bool reportClose) {
    if (!CloseHandle(m_device) && reportClose)
        OutputDebugFormat("::CloseHandle() error: %u\r\n", GetLastError());
    m_device = 0;
}

BOOL CSerialCom::SetLineFromDcb(DCB& dcb, DWORD baud, BYTE byteSize, BYTE parity, BYTE stopBits) {
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baud;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    dcb.fBinary = 1;
    dcb.fParity = parity != 0 ? 1 : 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 1;
    dcb.wReserved = 0;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.XonChar = 0;
    dcb.XoffChar = 0;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;

    m_status = SetCommState(m_device, &dcb);
    if (m_status)
        return TRUE;
    OutputDebugFormat("::SetCommState() error: %u\r\n", GetLastError());
    CloseAfterFailure(true);
    return FALSE;
}

BOOL CSerialCom::ApplySettings() {
    if (m_status == 0 || !DeviceValid())
        return FALSE;
    DCB& dcb = m_settings->commConfig.dcb;
    dcb.DCBlength = sizeof(DCB);
    m_status = GetCommState(m_device, &dcb);
    if (!m_status) {
        CloseAfterFailure(false);
        return FALSE;
    }
    return SetLineFromDcb(dcb, m_settings->baudRate, m_settings->byteSize, m_settings->parity,
                          m_settings->stopBits);
}

BOOL CSerialCom::Configure(DWORD baud, BYTE byteSize, BYTE parity, BYTE stopBits) {
    if (m_status == 0 || !DeviceValid())
        return FALSE;
    return SetLineFromDcb(m_settings->commConfig.dcb, baud, byteSize, parity, stopBits);
}

BOOL CSerialCom::SetTimeouts(DWORD readInterval, DWORD readTotalMultiplier, DWORD readTotalConstant,
                             DWORD writeTotalMultiplier, DWORD writeTotalConstant) {
    if (m_status == 0 || !DeviceValid())
        return FALSE;
    m_status = GetCommTimeouts(m_device, &m_timeouts);
    if (!m_status) {
        CloseAfterFailure(false);
        return FALSE;
    }
    m_timeouts.ReadIntervalTimeout = readInterval;
    m_timeouts.ReadTotalTimeoutMultiplier = readTotalMultiplier;
    m_timeouts.ReadTotalTimeoutConstant = readTotalConstant;
    m_timeouts.WriteTotalTimeoutMultiplier = writeTotalMultiplier;
    m_timeouts.WriteTotalTimeoutConstant = writeTotalConstant;
    m_status = SetCommTimeouts(m_device, &m_timeouts);
    if (m_status)
        return TRUE;
    OutputDebugFormat("::SetCommTimeouts() error: %u\r\n", GetLastError());
    CloseAfterFailure(true);
    return FALSE;
}

BOOL CSerialCom::ReadByte(BYTE* out) {
    DWORD count = 0;
    const BOOL ok = ReadFile(m_device, out, 1, &count, nullptr);
    m_lastRead = count;
    if (!ok) {
        const DWORD error = GetLastError();
        m_status = 0;
        OutputDebugString("::ReadFile() error: " + std::to_string(error) + ", " +
                          FormatSystemMessage(error));
        return FALSE;
    }
    return m_lastRead == 1;
}

BOOL CSerialCom::WriteByte(BYTE value) {
    m_lastWritten = 0;
    DWORD count = 0;
    if (WriteFile(m_device, &value, 1, &count, nullptr) && count == 1) {
        m_lastWritten = count;
        return TRUE;
    }
    m_lastWritten = count;
    m_status = 0;
    OutputDebugFormat("::WriteFile() error: %u\r\n", GetLastError());
    DWORD errors = 0;
    ClearCommError(m_device, &errors, nullptr);
    return FALSE;
}

BOOL CSerialCom::Write(const BYTE* data, int length) {
    m_lastWritten = 0;
    bool ok = true;
    DWORD failure = ERROR_SUCCESS;
    for (int i = 0; i < length; ++i) {
        if (ok) {
            DWORD count = 0;
            ok = WriteFile(m_device, data + i, 1, &count, nullptr) != FALSE;
            if (!ok)
                failure = GetLastError();
            m_lastWritten += count;
        }
        // Spreads a long packet over the line so that the unit is not overrun.
        if ((i + 1) % 16 == 15)
            Sleep(1);
    }
    if (ok && static_cast<long long>(m_lastWritten) == length)
        return TRUE;
    m_status = 0;
    OutputDebugFormat("::WriteFile() error: %u\r\n",
                      failure != ERROR_SUCCESS ? failure : GetLastError());
    DWORD errors = 0;
    ClearCommError(m_device, &errors, nullptr);
    return FALSE;
}

WORD CSerialCom::FlushInput() {
    const std::int64_t start = TickMs();
    WORD count = 0;
    for (;;) {
        BYTE discarded = 0;
        const BOOL read = ReadByte(&discarded);
        if (read)
            ++count;
        if (!read || TickMs() - start >= 1)
            break;
    }
    return count;
}

DWORD CSerialCom::DiscardPendingInput() {
    if (!DeviceValid())
        return 0;
    DWORD errors = 0;
    COMSTAT comStat;
    if (!ClearCommError(m_device, &errors, &comStat))
        return 0;
    if (comStat.cbInQue > 0)
        PurgeComm(m_device, PURGE_RXCLEAR);
    return comStat.cbInQue;
}

} // namespace vx
