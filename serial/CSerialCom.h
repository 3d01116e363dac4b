// The byte-stream port over a serial device: synchronous, non-overlapped
// I/O, one byte per write call with a 1 ms pause after every 16th byte, and
// reads of one byte under the device time-outs. Failures are reported only
// as debugger lines; callers decide what the operator sees.
#pragma once

#include "platform/SerialDevice.h"
#include "serial/CBaseClass.h"

namespace vx {

class CSerialCom : public CBaseClass {
public:
    // Stores the record (not owned) and opens the device at once.
    explicit CSerialCom(SerialPortSettings* settings);
    ~CSerialCom() override;
    CSerialCom(const CSerialCom&) = delete;
    CSerialCom& operator=(const CSerialCom&) = delete;

    int GetPortKind() override { return 1; }
    SerialPortSettings* GetSettings() override { return m_settings; }
    plat::WORD FlushInput() override;
    plat::BOOL WriteByte(plat::BYTE value) override;
    plat::BOOL Write(const plat::BYTE* data, int length) override;
    plat::BOOL ReadByte(plat::BYTE* out) override;
    int ReservedFirst() override { return 0; }
    const char* GetAddress() override { return "0.0.0.0"; }
    int ReservedThird() override { return 0; }
    void Close() override;
    plat::BOOL Open() override;
    plat::BOOL Configure(plat::DWORD baud, plat::BYTE byteSize, plat::BYTE parity,
                         plat::BYTE stopBits) override;
    plat::BOOL ApplySettings() override;
    plat::BOOL SetTimeouts(plat::DWORD readInterval, plat::DWORD readTotalMultiplier,
                           plat::DWORD readTotalConstant, plat::DWORD writeTotalMultiplier,
                           plat::DWORD writeTotalConstant) override;
    plat::BOOL IsReady() override { return m_status != 0; }
    plat::DWORD DiscardPendingInput() override;

    // Observation for tests and diagnostics.
    plat::HANDLE Device() const { return m_device; }
    int Status() const { return m_status; }
    plat::DWORD LastWritten() const { return m_lastWritten; }
    plat::DWORD LastRead() const { return m_lastRead; }
    const plat::COMMTIMEOUTS& Timeouts() const { return m_timeouts; }

private:
    bool DeviceValid() const;
    plat::BOOL SetLineFromDcb(plat::DCB& dcb, plat::DWORD baud, plat::BYTE byteSize,
                              plat::BYTE parity, plat::BYTE stopBits);
    void CloseAfterFailure(bool reportClose);

    SerialPortSettings* m_settings;
    plat::HANDLE m_device = 0;
    plat::COMMTIMEOUTS m_timeouts;
    int m_status = 0;
    plat::DWORD m_lastWritten = 0;
    plat::DWORD m_lastRead = 0;
};

} // namespace vx
