// Device state and queries: register access, the status poll, the AM counter,
// identity, the read-back of a receiver's settings, the start-up read-out of
// each receiver's tables and calibration, and the stored status sample rate.
#include "protocol/CVX18D3_Comm.h"

#include "platform/Registry.h"
#include "protocol/CommandCodes.h"
#include "protocol/DagcRangeTable.h"
#include "settings/RegistrySettings.h"

#include <cstdio>

namespace vx {

namespace {

constexpr BYTE kRegisterRead = 0x40;
constexpr BYTE kRegisterWrite = 0x80;
constexpr UINT kHighestPage = 32;
constexpr UINT kHighestRegister = 63;

// Firmware dates from which the unit answers the settings read-back.
constexpr DWORD kReadBackFirmwareWithCompanion = 0x20110228;
constexpr DWORD kReadBackFirmware = 0x20110505;

constexpr BYTE kDefaultSampleRate = 10;

// The identity registers in the order they are read (all on page 0). Only
// the firmware date (first receiver, 49 and 50) and the serial number (52
// and 53) are kept; the other words are read and dropped.
struct IdentityRegister {
    UINT receiver;
    UINT reg;
};
constexpr IdentityRegister kIdentityOrder[] = {{0, 48}, {0, 50}, {0, 49}, {0, 52},
                                               {0, 53}, {1, 48}, {1, 49}, {1, 50}};

void ReportRegistryError(plat::HWND window, plat::LONG error) {
    if (window)
        window->SendMessage(WM_REGISTRY_ERROR, static_cast<DWORD>(error), 0);
}

} // namespace

WORD CVX18D3_Comm::ReadRegister(UINT receiver, UINT page, UINT reg, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    const BYTE pageByte = static_cast<BYTE>(page > kHighestPage ? kHighestPage : page);
    // A register beyond the map is asked for as register 0.
    const BYTE regByte = static_cast<BYTE>(reg > kHighestRegister ? 0 : reg);

    // A failed exchange reads as 0, even when part of its reply arrived.
    std::array<BYTE, 3> result{};
    if (!ShortCommand(cmd::ForReceiver(cmd::kRegister, r), pageByte, 0, 0, result, trace))
        return 0;
    if (!ShortCommand(cmd::ForReceiver(cmd::kRegister, r),
                      static_cast<BYTE>(kRegisterRead | regByte), 0, 0, result, trace))
        return 0;
    return cmd::Word(result[1], result[2]);
}

BOOL CVX18D3_Comm::WriteRegister(UINT receiver, UINT page, UINT reg, WORD value, BOOL trace) {
    // Bits 6 and 7 of the register byte carry the access kind: a register
    // number beyond 63 would turn the write into some other access.
    if (reg > kHighestRegister)
        return 0;
    const UINT r = ReceiverIndex(receiver);
    const BYTE pageByte = static_cast<BYTE>(page > kHighestPage ? kHighestPage : page);

    std::array<BYTE, 3> result{};
    if (!ShortCommand(cmd::ForReceiver(cmd::kRegister, r), pageByte, 0, 0, result, trace))
        return 0;
    return ShortCommand(cmd::ForReceiver(cmd::kRegister, r),
                        static_cast<BYTE>(kRegisterWrite | reg), static_cast<BYTE>(value & 0xFF),
                        static_cast<BYTE>(value >> 8), result, trace);
}

BOOL CVX18D3_Comm::GetReceiverStatus(StatusReading& status, BOOL trace) {
    BYTE request[kHeaderLength] = {0, 0, 0x00, 0x20, 0, 0};
    BYTE reply[kHeaderLength + 9] = {};
    status = StatusReading{};
    const BOOL ok = Transact(request, 0, reply, 9, trace);
    if (!ok)
        return ok;

    const BYTE unit = reply[6];
    status.intRefOn = cmd::Bit(unit, 7);
    status.pllSynchronised = cmd::Bit(unit, 6);
    for (int led = 0; led < 4; ++led)
        status.idLed[led] = m_bCompanionBoard ? (cmd::Bit(unit, led) ? 2u : 1u) : 0u;

    for (int r = 0; r < 2; ++r) {
        const BYTE* bytes = &reply[7 + 4 * r];
        StatusReading::Receiver& rx = status.receiver[r];
        rx.rawRssi = static_cast<WORD>(bytes[0] | (bytes[1] & 0x0F) << 8);
        rx.lo1Locked = cmd::Bit(bytes[1], 4);
        rx.lo2Locked = cmd::Bit(bytes[1], 5);
        rx.agcZeroActive = cmd::Bit(bytes[1], 6);
        rx.reserved1 = cmd::Bit(bytes[1], 7);
        rx.amIndex = static_cast<BYTE>(bytes[2] & 0x7F);
        rx.reserved2 = cmd::Bit(bytes[2], 7);
        status.fmDeviation[r] = static_cast<BYTE>(bytes[3] & 0x7F);
    }

    m_bIntRefOn = status.intRefOn;
    for (int led = 0; led < 4; ++led)
        m_nIdLed[led] = status.idLed[led];
    for (int r = 0; r < 2; ++r)
        m_bAgcZeroActive[r] = status.receiver[r].agcZeroActive;
    return ok;
}

BOOL CVX18D3_Comm::GetAmCounterFrequency(UINT receiver, DWORD* frequencyHz, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> result{};
    const BOOL ok = ShortCommand(cmd::ForReceiver(cmd::kAmCounter, r), 0, 0, 0, result, trace);
    if (frequencyHz) {
        *frequencyHz = ok ? (static_cast<DWORD>(result[2] & 1) << 16 |
                             static_cast<DWORD>(result[1]) << 8 | result[0])
                          : 0;
    }
    return ok;
}

void CVX18D3_Comm::ReadIdentity(BOOL trace) {
    WORD words[std::size(kIdentityOrder)] = {};
    for (std::size_t i = 0; i < std::size(kIdentityOrder); ++i)
        words[i] = ReadRegister(kIdentityOrder[i].receiver, 0, kIdentityOrder[i].reg, trace);
    // words: r0 48, r0 50, r0 49, r0 52, r0 53, r1 48, r1 49, r1 50
    m_dwFirmwareDate = static_cast<DWORD>(words[1]) << 16 | words[2];
    m_wSerialWord1 = words[3];
    m_wSerialWord2 = words[4];
    m_bIdentityLoaded = 1;
}

BOOL CVX18D3_Comm::ReadReceiverSettings(UINT receiver, UINT group, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    if (!m_bIdentityLoaded)
        ReadIdentity(trace);
    const DWORD needed = m_bCompanionBoard ? kReadBackFirmwareWithCompanion : kReadBackFirmware;
    if (m_dwFirmwareDate < needed)
        return 0;

    // 0 means only that the firmware is too old; a failed read changes
    // nothing and still answers 1.
    std::array<BYTE, 3> result{};
    if (!ShortCommand(cmd::ForReceiver(cmd::kReadBack, r), static_cast<BYTE>(group), 0, 0, result,
                      trace))
        return 1;
    const auto [b7, b8, b9] = result;

    switch (group) {
    case 0:
        m_bAgcFreeze[r] = cmd::Bit(b7, 3);
        m_bAgcZero[r] = cmd::Bit(b7, 6);
        m_nIfOutputMode[r] = cmd::Bit(b7, 7) ? 0 : 1;
        m_nBandSelect[r] = b8 & 0x03;
        m_bTlm2DeEmphasis[r] = cmd::Bit(b8, 3);
        m_nIfBandwidth[r] = (b8 >> 4) & 0x07;
        m_nAmFilter[r] = static_cast<BYTE>(b9 & 0x1F);
        m_bAmInverted[r] = cmd::Bit(b9, 7);
        break;
    case 1:
        m_nTuningFrequency[r] = static_cast<std::uint64_t>(cmd::Word(b8, b9)) * 1'000'000u +
                                std::uint64_t{b7} * 10'000u;
        // The RSSI calibration follows the frequency the unit reports, as
        // it follows one sent to it.
        SelectRssiBand(r);
        break;
    case 2: {
        const WORD value = cmd::Word(b7, b8);
        for (DWORD i = 0; i < 8; ++i) {
            if (m_wAgcTimeConstantValue[r][i] == value) {
                m_nAgcTimeConstant[r] = i;
                break;
            }
        }
        m_nDagcMode[r] = b9 & 0x03;
        m_bRssiFiltered[r] = cmd::Bit(b9, 2) && !cmd::Bit(b9, 3);
        break;
    }
    case 3:
        m_nDagcLowerDbm[r] = static_cast<std::int8_t>(b7);
        m_nDagcUpperDbm[r] = static_cast<std::int8_t>(b8);
        m_nDagcRangeIndex[r] = DagcRangeIndexForCode(b9);
        break;
    case 4:
        m_nDagcStartVoltage[r] = static_cast<std::int8_t>(b7);
        m_nDagcEndVoltage[r] = static_cast<std::int8_t>(b8);
        m_nDagcRangeIndex[r] = DagcRangeIndexForCode(b9);
        break;
    case 5:
        m_nVideoFilter[r] = (b7 >> 1) & 0x07;
        m_nAgcTimeConstant[r] = (b7 >> 4) & 0x07;
        m_bFmInverted[r] = cmd::Bit(b7, 7);
        break;
    default: // groups 6 and 7 carry nothing the system uses
        break;
    }
    return 1;
}

WORD CVX18D3_Comm::ReadAmFilterEntry(UINT receiver, UINT index, BOOL trace) {
    if (index >= 32)
        return 0xFFFF;
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> result{};
    if (!ShortCommand(cmd::ForReceiver(cmd::kAmFilterEntry, r), 0, static_cast<BYTE>(index), 0,
                      result, trace))
        return 0;
    return cmd::Word(result[1], result[2]);
}

void CVX18D3_Comm::ReadCompanionBoardFlag(BOOL trace) {
    std::array<BYTE, 3> result{};
    ShortCommand(cmd::kUnitStatus, 0, 0, 0, result, trace);
    m_bCompanionBoard = cmd::Bit(result[0], 7);
}

void CVX18D3_Comm::ReadDeviceConfiguration(BOOL trace) {
    ReadExternalReference(trace);
    for (UINT r = 0; r < 2; ++r) {
        ReadReceiverTables(r, trace);
        ReadReceiverGains(r, trace);
    }
    m_bRfSwitch = ReadRegister(0, 0, 55, trace) != 0;
    ReadBootSerialSettings(trace);
}

void CVX18D3_Comm::ReadAdjustableConfiguration(BOOL trace) {
    ReadExternalReference(trace);
    for (UINT r = 0; r < 2; ++r)
        ReadReceiverGains(r, trace);
    ReadBootSerialSettings(trace);
}

void CVX18D3_Comm::ReadExternalReference(BOOL trace) {
    m_nExtRefMHz = static_cast<BYTE>(ReadRegister(0, 0, 54, trace) & 0xFF);
}

void CVX18D3_Comm::ReadReceiverTables(UINT r, BOOL trace) {
    for (UINT b = 0; b < 4; ++b) {
        const WORD low = ReadRegister(r, 0, 19 + 2 * b, trace);
        const WORD high = ReadRegister(r, 0, 20 + 2 * b, trace);
        const WORD slope = ReadRegister(r, 0, 29 + 2 * b, trace);
        const WORD offset = ReadRegister(r, 0, 30 + 2 * b, trace);
        const WORD unavailable = ReadRegister(r, b + 2, 4, trace);
        m_nBandLow[r][b] = std::uint64_t{low} * 1'000'000u;
        m_nBandHigh[r][b] = std::uint64_t{high} * 1'000'000u;
        m_fRssiSlope[r][b] = static_cast<std::int16_t>(slope) / 10000.0;
        m_fRssiOffset[r][b] = static_cast<std::int16_t>(offset) / 10.0;
        m_bLinearizeLocked[r][b] = (unavailable == 0 && low != 0 && high != 0) ? 0 : 1;
    }
    // The three value tables, one after the other, each in register order.
    for (UINT i = 0; i < 8; ++i)
        m_wIfBandwidthValue[r][i] = ReadRegister(r, 0, i, trace);
    for (UINT i = 0; i < 8; ++i)
        m_wVideoFilterValue[r][i] = ReadRegister(r, 0, 37 + i, trace);
    for (UINT i = 0; i < 8; ++i)
        m_wAgcTimeConstantValue[r][i] = ReadRegister(r, 0, 10 + i, trace);
    for (UINT i = 0; i < 32; ++i)
        m_wAmFilterValue[r][i] = ReadAmFilterEntry(r, i, trace);
}

void CVX18D3_Comm::ReadReceiverGains(UINT r, BOOL trace) {
    m_wVideoGain[r] = ReadRegister(r, 18, 9, trace);
    std::array<BYTE, 3> result{};
    ShortCommand(cmd::ForReceiver(cmd::kAmGain, r), cmd::kAmGainRead, 0, 0, result, trace);
    m_nAmGain[r] = result[1];
}

void CVX18D3_Comm::ReadBootSerialSettings(BOOL trace) {
    m_nBootBaudRate = DWORD{ReadRegister(0, 0, 45, trace)} * 100u;
    m_nBootSerialType = ReadRegister(1, 0, 46, trace) & 1u;
}

BYTE CVX18D3_Comm::LoadStatusSampleRate() {
    plat::HKEY key = nullptr;
    DWORD disposition = 0;
    plat::LONG error = plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, SettingsKeyPath().c_str(), 0,
                                            nullptr, plat::REG_OPTION_NON_VOLATILE, plat::KEY_READ,
                                            nullptr, &key, &disposition);
    if (error != plat::ERROR_SUCCESS) {
        ReportRegistryError(m_hTraceWnd, error);
        return kDefaultSampleRate;
    }
    if (!key) {
        ReportRegistryError(m_hTraceWnd, 0);
        return kDefaultSampleRate;
    }

    DWORD rate = kDefaultSampleRate;
    const DwordQuery query = QueryDwordValue(key, kValueStatusSamples);
    if (query.error == plat::ERROR_SUCCESS) {
        if (!query.IsDword())
            ShowDwordTypeBox(query.type, query.count);
        rate = query.value;
    } else if (static_cast<DWORD>(query.error) != plat::ERROR_FILE_NOT_FOUND) {
        ReportRegistryError(m_hTraceWnd, query.error);
    }

    error = plat::RegCloseKey(key);
    if (error != plat::ERROR_SUCCESS) {
        ReportRegistryError(m_hTraceWnd, error);
        return kDefaultSampleRate;
    }
    return static_cast<BYTE>(rate & 0xFF);
}

void CVX18D3_Comm::SaveStatusSampleRate(UINT rate) {
    plat::HKEY key = nullptr;
    DWORD disposition = 0;
    plat::LONG error = plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, SettingsKeyPath().c_str(), 0,
                                            nullptr, plat::REG_OPTION_NON_VOLATILE, plat::KEY_WRITE,
                                            nullptr, &key, &disposition);
    if (error != plat::ERROR_SUCCESS) {
        ReportRegistryError(m_hTraceWnd, error);
        return;
    }
    if (!key) {
        ShowRegistryBox("hAppKey is NULL");
        return;
    }

    const DWORD value = rate & 0xFF;
    const BYTE data[4] = {static_cast<BYTE>(value), 0, 0, 0};
    error = plat::RegSetValueEx(key, kValueStatusSamples, 0, plat::REG_DWORD, data, sizeof data);
    if (error != plat::ERROR_SUCCESS)
        ReportRegistryError(m_hTraceWnd, error);

    error = plat::RegCloseKey(key);
    if (error != plat::ERROR_SUCCESS)
        ReportRegistryError(m_hTraceWnd, error);
}

std::string CVX18D3_Comm::GetSerialNumberText(BOOL trace) {
    if (!m_bIdentityLoaded)
        ReadIdentity(trace);
    char text[16];
    std::snprintf(text, sizeof text, "%4.4X-%4.4X", static_cast<unsigned>(m_wSerialWord1),
                  static_cast<unsigned>(m_wSerialWord2));
    return text;
}

} // namespace vx
