// The one object through which the system talks to the VX18D unit: packet
// framing and exchanges (CommFraming.cpp), the cached device state and the
// queries that fill it (CommQueries.cpp), the receiver configuration commands
// (CommReceiverConfig.cpp) and the unit-level commands with the firmware
// transfer (CommUnit.cpp).
//
// Packet: 0x27, 0x00, two packet-type bytes, 16-bit little-endian payload
// length, payload; no checksum. One request, one fixed-length reply.
//
// The cache is public: pages display from it and change the unit only
// through the operations, which keep it in step. Per-receiver members are
// arrays of two indexed by the receiver (0 = first, 1 = second); a receiver
// index of 2 or more counts as 0 except where an operation refuses it.
// Every operation runs on one thread at a time; the object has no lock.
#pragma once

#include "platform/MessageTarget.h"
#include "platform/Win32Types.h"
#include "serial/CBaseClass.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx {

using plat::BOOL;
using plat::BYTE;
using plat::DWORD;
using plat::UINT;
using plat::WORD;

// Messages to the monitor window m_hTraceWnd.
inline constexpr UINT WM_TRACE_REPLY_BYTE = 1525;   // wParam index, lParam byte value
inline constexpr UINT WM_TRACE_REQUEST_BYTE = 1526; // wParam index, lParam byte value
inline constexpr UINT WM_TRACE_BREAK = 1527;
inline constexpr UINT WM_REGISTRY_ERROR = 1530; // wParam Win32 error code
inline constexpr UINT WM_TRACE_RETRY = 1531;    // wParam the try about to start (2, 3 ...)

// Packet types (bytes 2 and 3 of the header).
inline constexpr BYTE kStartByte = 0x27;
inline constexpr std::size_t kHeaderLength = 6;

// Everything one status reply reports, in the order the reply gives it.
struct StatusReading {
    BOOL intRefOn = 0;
    BOOL pllSynchronised = 0;
    std::array<DWORD, 4> idLed{}; // 0 undefined (no companion board), 1 off, 2 on
    struct Receiver {
        WORD rawRssi = 0;
        BOOL reserved1 = 0;
        BOOL reserved2 = 0;
        BYTE amIndex = 0;
        BOOL lo2Locked = 0;
        BOOL lo1Locked = 0;
        BOOL agcZeroActive = 0;
    };
    std::array<Receiver, 2> receiver{};
    std::array<BYTE, 2> fmDeviation{};
};

// The fields of one receiver configuration word, in word order.
struct ReceiverConfiguration {
    UINT setup = 0;
    BOOL fmInverted = 0;
    BOOL xdout = 0;
    std::array<DWORD, 4> idLed{};
    BOOL intRefOn = 0;
    UINT agcTimeConstant = 0;
    BOOL agcFreeze = 0;
    UINT bandSelect = 0;
    BOOL agcZero = 0;
    UINT ifOutputMode = 0;
    UINT videoFilter = 0;
    BOOL tlm2DeEmphasis = 0;
    UINT ifBandwidth = 0;
    UINT amFilter = 0;
    BOOL amInverted = 0;
    std::uint64_t frequencyHz = 0;
};

// The 8 payload bytes (packet bytes 6 to 13) of a configuration word.
std::array<BYTE, 8> EncodeReceiverConfiguration(UINT receiver, const ReceiverConfiguration& fields);

class CVX18D3_Comm {
public:
    explicit CVX18D3_Comm(CBaseClass* port);
    virtual ~CVX18D3_Comm();
    CVX18D3_Comm(const CVX18D3_Comm&) = delete;
    CVX18D3_Comm& operator=(const CVX18D3_Comm&) = delete;

    // ---- Framing and exchanges -------------------------------------------
    CBaseClass* m_pPort;
    std::int32_t m_nTimeout = 1000;  // reply time-out, ms
    std::uint32_t m_nLastResult = 0; // nonzero after a complete reply; the link status after Ping
    plat::HWND m_hTraceWnd = nullptr;
    // Further tries Transact gives a request whose reply did not come in
    // full (the monitor window hears of each). The window sends every
    // request once (0); vx18dctl tries its reads a second time.
    std::uint32_t m_nRetries = 0;

    BOOL Transact(BYTE* request, WORD payloadLength, BYTE* reply, WORD replyPayloadLength,
                  BOOL trace);
    BOOL TransactLong(BYTE* request, WORD payloadLength, BYTE* reply, WORD replyPayloadLength,
                      BOOL trace);
    BOOL Ping(BOOL trace);
    void MarkTraceBreak();

    // ---- Cached device state: per-receiver settings ------------------------
    std::uint64_t m_nTuningFrequency[2] = {0, 0};
    BYTE m_nSetup[2] = {0, 0};
    DWORD m_nBandSelect[2] = {0, 0};
    DWORD m_nRssiBand[2] = {0, 0};
    DWORD m_nDagcMode[2] = {0, 0};
    BOOL m_bXdout[2] = {0, 0};
    BOOL m_bAmInverted[2] = {0, 0};
    BYTE m_nAmFilter[2] = {31, 31};
    DWORD m_nIfBandwidth[2] = {0, 0};
    DWORD m_nVideoFilter[2] = {0, 0};
    DWORD m_nAgcTimeConstant[2] = {0, 0};
    BOOL m_bAgcFreeze[2] = {0, 0};
    BOOL m_bAgcZero[2] = {0, 0};
    BOOL m_bAgcZeroActive[2] = {0, 0};
    DWORD m_nIfOutputMode[2] = {0, 0};
    BYTE m_nDagcRangeIndex[2] = {6, 6};
    std::int8_t m_nDagcLowerDbm[2] = {-110, -110};
    std::int8_t m_nDagcUpperDbm[2] = {10, 10};
    std::int8_t m_nDagcStartVoltage[2] = {0, 0};
    std::int8_t m_nDagcEndVoltage[2] = {-40, -40};
    BYTE m_nAmGain[2] = {0, 0};
    BOOL m_bTlm2DeEmphasis[2] = {0, 0};
    BOOL m_bFmInverted[2] = {0, 0};
    BOOL m_bRssiFiltered[2] = {0, 0};
    WORD m_wVideoGain[2] = {8191, 8191};

    // ---- Cached device state: per-receiver tables --------------------------
    std::uint64_t m_nBandLow[2][4] = {};
    std::uint64_t m_nBandHigh[2][4] = {};
    double m_fRssiSlope[2][4] = {};
    double m_fRssiOffset[2][4] = {};
    BOOL m_bLinearizeLocked[2][4] = {};
    WORD m_wIfBandwidthValue[2][8] = {};
    WORD m_wVideoFilterValue[2][8] = {};
    WORD m_wAgcTimeConstantValue[2][8] = {};
    WORD m_wAmFilterValue[2][32] = {};

    // ---- Cached device state: unit-wide -------------------------------------
    BOOL m_bCompanionBoard = 0;
    BOOL m_bEepromForced = 0;
    BOOL m_bPreferEeprom = 0;
    BOOL m_bSwitch[8] = {};
    BOOL m_bDiscrete[5] = {};
    BOOL m_bIdentityLoaded = 0;
    WORD m_wSerialWord1 = 0;
    WORD m_wSerialWord2 = 0;
    DWORD m_dwFirmwareDate = 0;
    BYTE m_nExtRefMHz = 10;
    BOOL m_bRfSwitch = 0;
    DWORD m_nBootBaudRate = 0;
    DWORD m_nBootSerialType = 0;
    BOOL m_bIntRefOn = 0;
    DWORD m_nIdLed[4] = {};
    BYTE m_nAttenuator[2] = {};
    BOOL m_bAttenuatorFreeze[2] = {};
    BOOL m_bAttenuatorAtBoot = 0;
    std::int16_t m_nTemperature[2] = {};
    double m_fSupplyVoltage[2] = {};
    double m_fSupplyCurrent[2] = {};

    // ---- Device state and queries ------------------------------------------
    WORD ReadRegister(UINT receiver, UINT page, UINT reg, BOOL trace);
    BOOL WriteRegister(UINT receiver, UINT page, UINT reg, WORD value, BOOL trace);
    BOOL GetReceiverStatus(StatusReading& status, BOOL trace);
    BOOL GetAmCounterFrequency(UINT receiver, DWORD* frequencyHz, BOOL trace);
    BOOL ReadReceiverSettings(UINT receiver, UINT group, BOOL trace);
    void ReadIdentity(BOOL trace);
    void ReadDeviceConfiguration(BOOL trace);
    // What ReadDeviceConfiguration reads that an operator can change, in its
    // order: the external reference, each receiver's stored video gain and
    // AM gain, the boot baud rate and serial type.
    void ReadAdjustableConfiguration(BOOL trace);
    void ReadCompanionBoardFlag(BOOL trace);
    WORD ReadAmFilterEntry(UINT receiver, UINT index, BOOL trace);
    BYTE LoadStatusSampleRate();
    void SaveStatusSampleRate(UINT rate);
    std::string GetSerialNumberText(BOOL trace);

    // ---- Receiver configuration ---------------------------------------------
    BOOL SetTuningFrequency(UINT receiver, std::uint64_t frequencyHz, BOOL trace);
    void SelectSetup(UINT receiver, UINT setup, BOOL trace);
    void SetIfBandwidth(UINT receiver, UINT index, BOOL trace);
    void SetVideoFilter(UINT receiver, UINT index, BOOL trace);
    void SetAmFilter(UINT receiver, UINT index, BOOL trace);
    void SetAmInverted(UINT receiver, BOOL inverted, BOOL trace);
    void SetAgcTimeConstant(UINT receiver, UINT index, BOOL trace);
    void SetAgcFreeze(UINT receiver, BOOL freeze, BOOL trace);
    void SetAgcZero(UINT receiver, BOOL zero, BOOL trace);
    void SetIfOutputMode(UINT receiver, UINT mode, BOOL trace);
    BOOL SetFmPolarityInverted(UINT receiver, BOOL inverted, BOOL trace);
    void SetXdout(UINT receiver, BOOL on, BOOL trace);
    BOOL SetTlm2DeEmphasis(UINT receiver, BOOL on, BOOL trace);
    BOOL SendReceiverConfiguration(UINT receiver, const ReceiverConfiguration& fields, BOOL trace);
    void SetDagcMode(UINT receiver, UINT mode, BOOL trace);
    void SelectDagcRange(UINT receiver, UINT row, BOOL trace);
    BOOL SetDagcStartVoltage(UINT receiver, std::int8_t voltage, BOOL trace);
    BOOL SetDagcEndVoltage(UINT receiver, std::int8_t voltage, BOOL trace);
    void SetDagcVoltageRange(UINT receiver, std::int8_t start, std::int8_t end, BOOL trace);
    BOOL SetDagcLowerDbm(UINT receiver, std::int8_t limit, BOOL trace);
    BOOL SetDagcUpperDbm(UINT receiver, std::int8_t limit, BOOL trace);
    void SetDagcDbmRange(UINT receiver, std::int8_t lower, std::int8_t upper, BOOL trace);
    BOOL SetAmGain(UINT receiver, BYTE gain, BOOL trace);
    BOOL SetRssiAveraging(UINT receiver, UINT mode, BOOL trace);
    void SetVideoOutGain(UINT receiver, UINT gain, BOOL trace);
    void SaveVideoOutGain(UINT receiver, UINT gain, BOOL trace);

    // Records as the receiver's RSSI band the band whose limits hold its
    // cached tuning frequency, trying the unit's own band field first; a
    // frequency in no band keeps the band it had. Tuning and the read-back
    // of the frequency both call it.
    void SelectRssiBand(UINT receiver);

    // The configuration word of a receiver rebuilt from the cache.
    ReceiverConfiguration CachedConfiguration(UINT receiver) const;

    // ---- Unit-level commands and firmware transfer --------------------------
    BOOL SetExternalReferenceFrequency(UINT mhz, BOOL trace);
    BOOL SetInternalReference(BOOL on, BOOL trace);
    void SetIdLed(UINT receiver, UINT state, UINT led, BOOL trace);
    BOOL ReadSwitchesAndDiscretes(UINT receiver, BOOL trace);
    BOOL WriteSwitches(WORD switchWord, BOOL trace);
    void GetSwitchesAndDiscretes(BOOL switches[8], BOOL discretes[5], BOOL trace);
    BOOL ReadAttenuators(BOOL trace);
    BOOL SetAttenuator(UINT dc, BYTE code, BOOL freeze, BOOL trace);
    BOOL SetAttenuatorOnAtBoot(BOOL on, BOOL trace);
    BOOL ReadTemperatureRange(BOOL trace);
    BOOL ReadSupplyVoltageRange(BOOL trace);
    void ReadSupplyCurrentRange(BOOL trace);
    BOOL SetBootBaudRate(DWORD baudRate, BOOL trace);
    BOOL SetBootSerialType(UINT type, BOOL trace);
    BOOL LinearizeBand(UINT receiver, UINT band, BOOL trace);
    BOOL UnitCommand(UINT receiver, UINT command, BYTE arg1, BYTE arg2, BYTE arg3, BYTE* out1,
                     BYTE* out2, BYTE* out3, BOOL trace);
    BOOL SendFlashBlock(const BYTE* data, UINT length);
    BOOL CommitFlashImage();

protected:
    // One short command (packet type 0x01, 0x10): command byte and three
    // argument bytes out, the reply's bytes 7 to 9 back in result (zeros
    // when the exchange failed). Returns the exchange result.
    BOOL ShortCommand(BYTE commandByte, BYTE arg1, BYTE arg2, BYTE arg3,
                      std::array<BYTE, 3>& result, BOOL trace);

    // The parts of the start-up read-out.
    void ReadExternalReference(BOOL trace);
    void ReadReceiverTables(UINT receiver, BOOL trace); // bands, calibration, filter tables
    void ReadReceiverGains(UINT receiver, BOOL trace);  // stored video gain, AM gain
    void ReadBootSerialSettings(BOOL trace);

    // Sends a receiver's configuration word rebuilt from the cache.
    BOOL SendCachedConfiguration(UINT receiver, BOOL trace);

    // The exchange loop shared by Transact, TransactLong and the firmware commit.
    BOOL Exchange(BYTE* request, WORD payloadLength, BYTE* reply, WORD replyPayloadLength,
                  BOOL trace, std::int64_t deadlineMs);
};

// A receiver index of 2 or more counts as the first receiver.
constexpr UINT ReceiverIndex(UINT receiver) {
    return receiver >= 2 ? 0 : receiver;
}

} // namespace vx
