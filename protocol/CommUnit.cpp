// Unit-level commands: reference clock, ID LEDs, switch word and discrete
// lines, front-end attenuators, historical ranges, boot serial settings, band
// linearisation, the raw unit command, and the firmware transfer.
#include "protocol/CVX18D3_Comm.h"

#include "protocol/CommandCodes.h"

#include <algorithm>

namespace vx {

namespace {

constexpr BYTE kUnitStatusWrite = 0x80;
constexpr BYTE kBootSerialTypeSelect = 5;
constexpr BYTE kLinearizeBand = 20;
constexpr UINT kLinearizeCommand = 0;

constexpr BYTE kAttenuatorCodeMask = 0x3F;
constexpr BYTE kAttenuatorFreeze = 0x40;
constexpr BYTE kAttenuatorChange = 0x80;
constexpr BYTE kAtBootOn = 0x01;
constexpr BYTE kAtBootChange = 0x02;

// The boot baud rate travels as rate / 100 in 11 bits.
constexpr DWORD kMaxBootBaudQuotient = 0x7FF;

constexpr DWORD kSerialTypeCommandFirmware = 0x20180309;

constexpr UINT kMaxFlashBlock = 128;
constexpr UINT kCommandNumbers = 32;

// One DC's attenuator byte as the cache holds it, without the change bit.
BYTE CachedAttenuatorByte(const CVX18D3_Comm& comm, UINT dc) {
    return static_cast<BYTE>((comm.m_nAttenuator[dc] & kAttenuatorCodeMask) |
                             (comm.m_bAttenuatorFreeze[dc] ? kAttenuatorFreeze : 0));
}

void StoreAttenuatorReply(CVX18D3_Comm& comm, const std::array<BYTE, 3>& reply) {
    for (UINT dc = 0; dc < 2; ++dc) {
        comm.m_nAttenuator[dc] = static_cast<BYTE>(reply[dc] & kAttenuatorCodeMask);
        comm.m_bAttenuatorFreeze[dc] = cmd::Bit(reply[dc], 6);
    }
    comm.m_bAttenuatorAtBoot = cmd::Bit(reply[2], 0);
}

// The unit status reply of command 0x48, read and write alike. The reply is
// decoded even after a failed exchange, which clears every flag.
void StoreUnitStatusReply(CVX18D3_Comm& comm, const std::array<BYTE, 3>& reply) {
    comm.m_bCompanionBoard = cmd::Bit(reply[0], 7);
    comm.m_bEepromForced = cmd::Bit(reply[0], 6);
    comm.m_bPreferEeprom = cmd::Bit(reply[0], 5);
    for (int i = 0; i < 8; ++i)
        comm.m_bSwitch[i] = cmd::Bit(reply[1], i);
    for (int i = 0; i < 5; ++i)
        comm.m_bDiscrete[i] = cmd::Bit(reply[2], i);
    // With the companion board an LED is at least known to be off.
    if (comm.m_bCompanionBoard) {
        for (DWORD& led : comm.m_nIdLed)
            if (led == 0)
                led = 1;
    }
}

} // namespace

BOOL CVX18D3_Comm::SetExternalReferenceFrequency(UINT mhz, BOOL trace) {
    const BYTE value = (mhz == 5 || mhz == 20 || mhz == 25) ? static_cast<BYTE>(mhz) : 10;
    m_nExtRefMHz = value;
    std::array<BYTE, 3> reply{};
    return ShortCommand(cmd::kExternalReference, 0, value, 0, reply, trace);
}

BOOL CVX18D3_Comm::SetInternalReference(BOOL on, BOOL trace) {
    m_bIntRefOn = on ? 1 : 0;
    return SendCachedConfiguration(0, trace);
}

void CVX18D3_Comm::SetIdLed(UINT receiver, UINT state, UINT led, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    if (led >= 4)
        led = 0;
    if (state > 2)
        state = m_bCompanionBoard ? 1 : 0;
    m_nIdLed[led] = m_bCompanionBoard ? state : 0;
    SendCachedConfiguration(r, trace);
}

BOOL CVX18D3_Comm::ReadSwitchesAndDiscretes(UINT receiver, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::ForReceiver(cmd::kUnitStatus, r), 0, 0, 0, reply, trace);
    StoreUnitStatusReply(*this, reply);
    return ok;
}

BOOL CVX18D3_Comm::WriteSwitches(WORD switchWord, BOOL trace) {
    // The written flags sit one byte later than the reply reports them.
    std::array<BYTE, 3> reply{};
    const BOOL ok =
        ShortCommand(cmd::kUnitStatus, kUnitStatusWrite, static_cast<BYTE>(switchWord >> 8),
                     static_cast<BYTE>(switchWord & 0xFF), reply, trace);
    StoreUnitStatusReply(*this, reply);
    return ok;
}

void CVX18D3_Comm::GetSwitchesAndDiscretes(BOOL switches[8], BOOL discretes[5], BOOL) {
    if (switches)
        std::copy(std::begin(m_bSwitch), std::end(m_bSwitch), switches);
    if (discretes)
        std::copy(std::begin(m_bDiscrete), std::end(m_bDiscrete), discretes);
}

BOOL CVX18D3_Comm::ReadAttenuators(BOOL trace) {
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::kAttenuators, m_bAttenuatorFreeze[0] ? kAttenuatorFreeze : 0,
                                 m_bAttenuatorFreeze[1] ? kAttenuatorFreeze : 0, 0, reply, trace);
    if (ok)
        StoreAttenuatorReply(*this, reply);
    return ok;
}

BOOL CVX18D3_Comm::SetAttenuator(UINT dc, BYTE code, BOOL freeze, BOOL trace) {
    BYTE command = cmd::kAttenuators;
    BYTE bytes[2] = {0, 0};
    if (dc < 2) {
        command = cmd::ForReceiver(cmd::kAttenuators, dc);
        // A code beyond 6 bits would spill into the freeze and change bits.
        const BYTE value = std::min(code, kAttenuatorCodeMask);
        bytes[dc] = static_cast<BYTE>(value | kAttenuatorChange | (freeze ? kAttenuatorFreeze : 0));
        bytes[1 - dc] = CachedAttenuatorByte(*this, 1 - dc);
    }
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(command, bytes[0], bytes[1], 0, reply, trace);
    if (ok)
        StoreAttenuatorReply(*this, reply);
    return ok;
}

BOOL CVX18D3_Comm::SetAttenuatorOnAtBoot(BOOL on, BOOL trace) {
    const BYTE atBoot = static_cast<BYTE>(kAtBootChange | (on ? kAtBootOn : 0));
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::kAttenuators, CachedAttenuatorByte(*this, 0),
                                 CachedAttenuatorByte(*this, 1), atBoot, reply, trace);
    if (ok)
        StoreAttenuatorReply(*this, reply);
    return ok;
}

namespace {

struct HistoryItem {
    BOOL ok;
    std::int16_t value; // 0 after a failed exchange
};

// History item n: short command 0xC8 (command number 25), byte 7 = n; the
// reading is reply bytes 8 and 9 as a signed 16-bit number.
HistoryItem ReadHistoryItem(CVX18D3_Comm& comm, BYTE item, BOOL trace) {
    BYTE out[3] = {};
    const BOOL ok =
        comm.UnitCommand(0, cmd::kHistory >> 3, item, 0, 0, &out[0], &out[1], &out[2], trace);
    return {ok, ok ? static_cast<std::int16_t>(cmd::Word(out[1], out[2])) : std::int16_t{0}};
}

// A history pair: the second item is asked for only when the first exchange
// succeeded; otherwise both entries hold the first reading. Returns the
// second exchange's result, or 0 when it was not made.
template <class T>
BOOL ReadHistoryPair(CVX18D3_Comm& comm, BYTE firstItem, T (&pair)[2], BOOL trace) {
    const HistoryItem first = ReadHistoryItem(comm, firstItem, trace);
    pair[0] = static_cast<T>(first.value);
    if (!first.ok) {
        pair[1] = pair[0];
        return 0;
    }
    const HistoryItem second = ReadHistoryItem(comm, static_cast<BYTE>(firstItem + 1), trace);
    pair[1] = static_cast<T>(second.value);
    return second.ok;
}

} // namespace

BOOL CVX18D3_Comm::ReadTemperatureRange(BOOL trace) {
    return ReadHistoryPair(*this, 0, m_nTemperature, trace);
}

BOOL CVX18D3_Comm::ReadSupplyVoltageRange(BOOL trace) {
    return ReadHistoryPair(*this, 2, m_fSupplyVoltage, trace);
}

void CVX18D3_Comm::ReadSupplyCurrentRange(BOOL trace) {
    // Both items are always asked for.
    for (BYTE item = 4; item <= 5; ++item)
        m_fSupplyCurrent[item - 4] = ReadHistoryItem(*this, item, trace).value;
}

BOOL CVX18D3_Comm::SetBootBaudRate(DWORD baudRate, BOOL trace) {
    const DWORD quotient = baudRate / 100;
    // A rate the command cannot carry is refused: cut to 11 bits it would
    // set the unit to some other rate and lose the link at the next boot.
    if (quotient > kMaxBootBaudQuotient)
        return 0;
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::kBootSerial, 0, static_cast<BYTE>(quotient & 0xFF),
                                 static_cast<BYTE>((quotient >> 8) & 0x07), reply, trace);
    m_nBootBaudRate = baudRate;
    return ok;
}

BOOL CVX18D3_Comm::SetBootSerialType(UINT type, BOOL trace) {
    if (type >= 2)
        return 0;
    if (!m_bIdentityLoaded)
        ReadIdentity(trace);

    BOOL ok = 0;
    if (m_dwFirmwareDate >= kSerialTypeCommandFirmware) {
        std::array<BYTE, 3> reply{};
        ok = ShortCommand(cmd::kBootSerial, kBootSerialTypeSelect, type == 1 ? 1 : 0, 0, reply,
                          trace);
    } else {
        // Older firmware keeps the type in register 46 of the second receiver.
        ok = WriteRegister(1, 0, 46, static_cast<WORD>(type), trace);
    }
    m_nBootSerialType = type;
    return ok;
}

BOOL CVX18D3_Comm::LinearizeBand(UINT receiver, UINT band, BOOL trace) {
    if (receiver >= 2 || band >= 4)
        return 0;
    BYTE out[3] = {};
    const BOOL ok = UnitCommand(receiver, kLinearizeCommand, kLinearizeBand,
                                static_cast<BYTE>(band), 0, &out[0], &out[1], &out[2], trace);
    const WORD unavailable = ReadRegister(receiver, band + 2, 4, trace);
    const BOOL defined = m_nBandLow[receiver][band] != 0 && m_nBandHigh[receiver][band] != 0;
    m_bLinearizeLocked[receiver][band] = (unavailable == 0 && defined) ? 0 : 1;
    return ok;
}

BOOL CVX18D3_Comm::UnitCommand(UINT receiver, UINT command, BYTE arg1, BYTE arg2, BYTE arg3,
                               BYTE* out1, BYTE* out2, BYTE* out3, BOOL trace) {
    std::array<BYTE, 3> reply{};
    BOOL ok = 0;
    // The command number has five bits; a larger one would wrap onto
    // another command (32 onto 0, the band linearisation).
    if (command < kCommandNumbers) {
        const BYTE commandByte = static_cast<BYTE>(command << 3 | ReceiverIndex(receiver));
        ok = ShortCommand(commandByte, arg1, arg2, arg3, reply, trace);
    }
    if (out1)
        *out1 = reply[0];
    if (out2)
        *out2 = reply[1];
    if (out3)
        *out3 = reply[2];
    return ok;
}

BOOL CVX18D3_Comm::SendFlashBlock(const BYTE* data, UINT length) {
    // The request buffer holds one block of at most 128 bytes.
    if (!data || length == 0 || length > kMaxFlashBlock)
        return 0;
    BYTE request[kHeaderLength + kMaxFlashBlock] = {0, 0, 0x20, 0x10, 0, 0};
    std::copy(data, data + length, request + kHeaderLength);
    BYTE reply[kHeaderLength] = {};
    return Transact(request, static_cast<WORD>(length), reply, 0, 0);
}

BOOL CVX18D3_Comm::CommitFlashImage() {
    // Short command 0x98 with byte 7 = 0xFF: program the image received. The
    // commit is always traced when a monitor window is installed.
    BYTE request[kHeaderLength + 4] = {0, 0, 0x01, 0x10, 0, 0, 0x98, 0xFF, 0x00, 0x00};
    BYTE reply[kHeaderLength + 4] = {};
    return Exchange(request, 4, reply, 4, 1, m_nTimeout);
}

} // namespace vx
