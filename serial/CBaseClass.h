// An abstract byte-stream port: the one seam between the protocol object and
// whatever carries its bytes. CSerialCom implements it over a serial device.
#pragma once

#include "platform/Win32Types.h"
#include "serial/SerialPortSettings.h"

#include <cstdint>

namespace vx {

class CBaseClass {
public:
    virtual ~CBaseClass() = default;

    virtual int GetPortKind() { return 0; }
    virtual SerialPortSettings* GetSettings() { return nullptr; }
    virtual plat::WORD FlushInput() { return 0; }
    virtual plat::BOOL WriteByte(plat::BYTE value) = 0;
    virtual plat::BOOL Write(const plat::BYTE* data, int length) {
        (void)data;
        (void)length;
        return plat::FALSE;
    }
    virtual plat::BOOL ReadByte(plat::BYTE* out) = 0;
    virtual int ReservedFirst() = 0;
    virtual std::uint64_t ReservedSecond() { return 0; }
    virtual const char* GetAddress() = 0;
    virtual int ReservedThird() = 0;
    virtual void Close() {}
    virtual plat::BOOL Open() { return plat::FALSE; }
    virtual plat::BOOL Configure(plat::DWORD baud, plat::BYTE byteSize, plat::BYTE parity,
                                 plat::BYTE stopBits) {
        (void)baud;
        (void)byteSize;
        (void)parity;
        (void)stopBits;
        return plat::FALSE;
    }
    virtual plat::BOOL ApplySettings() { return plat::FALSE; }
    virtual plat::BOOL SetTimeouts(plat::DWORD readInterval, plat::DWORD readTotalMultiplier,
                                   plat::DWORD readTotalConstant, plat::DWORD writeTotalMultiplier,
                                   plat::DWORD writeTotalConstant) {
        (void)readInterval;
        (void)readTotalMultiplier;
        (void)readTotalConstant;
        (void)writeTotalMultiplier;
        (void)writeTotalConstant;
        return plat::FALSE;
    }
    virtual plat::BOOL IsReady() { return plat::FALSE; }

    // Discards only the input that is already waiting, without waiting for a
    // read time-out; returns the number of bytes discarded.
    virtual plat::DWORD DiscardPendingInput() { return 0; }
};

} // namespace vx
