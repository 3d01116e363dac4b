// Receiver configuration: the 8-byte configuration word that carries a
// receiver's whole set-up (every setter changes one cached field and sends
// the word rebuilt from the cache), the band search that follows tuning, and
// the short commands of their own: DAGC mode, range, voltages and limits, AM
// gain, host RSSI averaging and video output gain.
#include "protocol/CVX18D3_Comm.h"

#include "protocol/CommandCodes.h"
#include "protocol/DagcRangeTable.h"

#include <algorithm>

namespace vx {

namespace {

constexpr BYTE kVideoGainWrite = 1;
constexpr BYTE kMaxAmGain = 99;
constexpr UINT kMaxVideoGain = 16383;
constexpr UINT kVideoGainPage = 18;
constexpr UINT kVideoGainRegister = 9;

constexpr int kMinDagcVoltage = -40; // tenths of a volt
constexpr int kMaxDagcVoltage = 40;
constexpr int kMinDagcLowerDbm = -110;
constexpr int kMaxDagcUpperDbm = 10;

constexpr UINT kMaxSetup = 15;

constexpr BYTE Flag(BOOL value, int bit) {
    return static_cast<BYTE>(value ? 1u << bit : 0u);
}
constexpr BOOL AsFlag(BOOL value) {
    return value ? 1 : 0;
}

// A 3-bit index field: anything beyond 7 goes out as 0.
constexpr BYTE Index3(UINT value) {
    return static_cast<BYTE>(value > 7 ? 0 : value);
}

// The AM filter index as the word carries it: 32 or more goes out as 0.
constexpr BYTE AmFilterIndex(UINT value) {
    return static_cast<BYTE>(value >= 32 ? 0 : value);
}

// A computed signed limit as the byte the unit takes; saturates instead of
// wrapping when the arithmetic leaves the byte's range.
constexpr std::int8_t SignedByte(int value) {
    return static_cast<std::int8_t>(std::clamp(value, -128, 127));
}

void StoreDagcVoltageReply(CVX18D3_Comm& comm, UINT r, const std::array<BYTE, 3>& reply) {
    comm.m_nDagcStartVoltage[r] = static_cast<std::int8_t>(reply[0]);
    comm.m_nDagcEndVoltage[r] = static_cast<std::int8_t>(reply[1]);
    comm.m_nDagcRangeIndex[r] = DagcRangeIndexForCode(reply[2]);
}

void StoreDagcLimitReply(CVX18D3_Comm& comm, UINT r, const std::array<BYTE, 3>& reply) {
    comm.m_nDagcLowerDbm[r] = static_cast<std::int8_t>(reply[0]);
    comm.m_nDagcUpperDbm[r] = static_cast<std::int8_t>(reply[1]);
    comm.m_nDagcRangeIndex[r] = DagcRangeIndexForCode(reply[2]);
}

BYTE VoltageByte(int tenths) {
    return static_cast<BYTE>(std::clamp(tenths, kMinDagcVoltage, kMaxDagcVoltage));
}

} // namespace

std::array<BYTE, 8> EncodeReceiverConfiguration(UINT receiver, const ReceiverConfiguration& f) {
    std::array<BYTE, 8> word{};

    word[0] = static_cast<BYTE>((receiver == 1 ? 1 : 0) | std::min(f.setup, kMaxSetup) << 1 |
                                Flag(f.fmInverted, 5) | Flag(f.xdout, 6));

    BYTE leds = 0;
    for (int led = 0; led < 4; ++led)
        leds |= Flag(f.idLed[led] == 2, led);
    word[1] = static_cast<BYTE>(leds | Flag(f.intRefOn, 7));

    word[2] = static_cast<BYTE>(Index3(f.agcTimeConstant) | Flag(f.agcFreeze, 3) |
                                (f.bandSelect > 3 ? 0 : f.bandSelect) << 4 | Flag(f.agcZero, 6) |
                                Flag(f.ifOutputMode != 1, 7));

    word[3] = static_cast<BYTE>(Index3(f.videoFilter) | Flag(f.tlm2DeEmphasis, 3) |
                                Index3(f.ifBandwidth) << 4);

    word[4] = static_cast<BYTE>(AmFilterIndex(f.amFilter) | Flag(f.amInverted, 7));

    // 10 kHz steps below the MHz, then the whole MHz as a 16-bit number.
    const std::uint64_t hz = f.frequencyHz;
    word[5] = static_cast<BYTE>((hz % 1'000'000u) / 10'000u);
    word[6] = static_cast<BYTE>((hz % 256'000'000u) / 1'000'000u);
    word[7] = static_cast<BYTE>(hz / 256'000'000u);
    return word;
}

ReceiverConfiguration CVX18D3_Comm::CachedConfiguration(UINT receiver) const {
    const UINT r = ReceiverIndex(receiver);
    ReceiverConfiguration f;
    f.setup = m_nSetup[r];
    f.fmInverted = m_bFmInverted[r];
    f.xdout = m_bXdout[r];
    for (int led = 0; led < 4; ++led)
        f.idLed[led] = m_nIdLed[led];
    f.intRefOn = m_bIntRefOn;
    f.agcTimeConstant = m_nAgcTimeConstant[r];
    f.agcFreeze = m_bAgcFreeze[r];
    f.bandSelect = m_nBandSelect[r];
    f.agcZero = m_bAgcZero[r];
    f.ifOutputMode = m_nIfOutputMode[r];
    f.videoFilter = m_nVideoFilter[r];
    f.tlm2DeEmphasis = m_bTlm2DeEmphasis[r];
    f.ifBandwidth = m_nIfBandwidth[r];
    f.amFilter = m_nAmFilter[r];
    f.amInverted = m_bAmInverted[r];
    f.frequencyHz = m_nTuningFrequency[r];
    return f;
}

BOOL CVX18D3_Comm::SendReceiverConfiguration(UINT receiver, const ReceiverConfiguration& fields,
                                             BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    const std::array<BYTE, 8> word = EncodeReceiverConfiguration(r, fields);
    m_nAmFilter[r] = AmFilterIndex(fields.amFilter);

    BYTE request[kHeaderLength + 8] = {0, 0, 0x00, 0x10, 0, 0};
    std::copy(word.begin(), word.end(), request + kHeaderLength);
    BYTE reply[kHeaderLength] = {};
    return TransactLong(request, 8, reply, 0, trace);
}

BOOL CVX18D3_Comm::SendCachedConfiguration(UINT receiver, BOOL trace) {
    return SendReceiverConfiguration(receiver, CachedConfiguration(receiver), trace);
}

BOOL CVX18D3_Comm::SetTuningFrequency(UINT receiver, std::uint64_t frequencyHz, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nTuningFrequency[r] = frequencyHz;
    const BOOL ok = SendCachedConfiguration(r, trace);
    SelectRssiBand(r);
    return ok;
}

void CVX18D3_Comm::SelectRssiBand(UINT receiver) {
    const UINT r = ReceiverIndex(receiver);
    const std::uint64_t frequencyHz = m_nTuningFrequency[r];
    // The unit's own band is tried first, so it wins where bands overlap.
    const DWORD first = m_nBandSelect[r] % 4;
    for (DWORD i = 0; i < 4; ++i) {
        const DWORD band = (first + i) % 4;
        if (m_nBandLow[r][band] <= frequencyHz && frequencyHz <= m_nBandHigh[r][band]) {
            m_nRssiBand[r] = band;
            return;
        }
    }
}

void CVX18D3_Comm::SelectSetup(UINT receiver, UINT setup, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nSetup[r] = static_cast<BYTE>(std::min(setup, kMaxSetup));
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetIfBandwidth(UINT receiver, UINT index, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nIfBandwidth[r] = Index3(index);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetVideoFilter(UINT receiver, UINT index, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nVideoFilter[r] = Index3(index);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetAmFilter(UINT receiver, UINT index, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nAmFilter[r] = AmFilterIndex(index);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetAmInverted(UINT receiver, BOOL inverted, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_bAmInverted[r] = AsFlag(inverted);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetAgcTimeConstant(UINT receiver, UINT index, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nAgcTimeConstant[r] = Index3(index);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetAgcFreeze(UINT receiver, BOOL freeze, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_bAgcFreeze[r] = AsFlag(freeze);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetAgcZero(UINT receiver, BOOL zero, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_bAgcZero[r] = AsFlag(zero);
    SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetIfOutputMode(UINT receiver, UINT mode, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nIfOutputMode[r] = mode == 1 ? 1 : 0;
    SendCachedConfiguration(r, trace);
}

BOOL CVX18D3_Comm::SetFmPolarityInverted(UINT receiver, BOOL inverted, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_bFmInverted[r] = AsFlag(inverted);
    return SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetXdout(UINT receiver, BOOL on, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_bXdout[r] = AsFlag(on);
    SendCachedConfiguration(r, trace);
}

BOOL CVX18D3_Comm::SetTlm2DeEmphasis(UINT receiver, BOOL on, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_bTlm2DeEmphasis[r] = AsFlag(on);
    return SendCachedConfiguration(r, trace);
}

void CVX18D3_Comm::SetDagcMode(UINT receiver, UINT mode, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    m_nDagcMode[r] = (mode >= 1 && mode <= 3) ? mode : 0;
    std::array<BYTE, 3> reply{};
    ShortCommand(cmd::ForReceiver(cmd::kDagcMode, r), static_cast<BYTE>(m_nDagcMode[r]), 0, 0,
                 reply, trace);
}

void CVX18D3_Comm::SelectDagcRange(UINT receiver, UINT row, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    if (row >= kDagcRanges.size())
        row = 0;
    const DagcRange& range = kDagcRanges[row];
    std::array<BYTE, 3> reply{};
    ShortCommand(cmd::ForReceiver(cmd::kDagcRange, r), 0, range.code, 0, reply, trace);

    m_nDagcRangeIndex[r] = static_cast<BYTE>(row);
    m_nDagcLowerDbm[r] = kMinDagcLowerDbm;
    m_nDagcUpperDbm[r] = kMaxDagcUpperDbm;
    m_nDagcStartVoltage[r] = range.startVoltage;
    m_nDagcEndVoltage[r] = range.endVoltage;
}

// The voltage and limit commands take the unit's answer into the cache whether
// or not the exchange succeeded: after a failure the page shows the zeros of
// the cleared reply and sounds its failure tone.

BOOL CVX18D3_Comm::SetDagcStartVoltage(UINT receiver, std::int8_t voltage, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::ForReceiver(cmd::kDagcVoltages, r), VoltageByte(voltage),
                                 VoltageByte(m_nDagcEndVoltage[r]), 0, reply, trace);
    StoreDagcVoltageReply(*this, r, reply);
    return ok;
}

BOOL CVX18D3_Comm::SetDagcEndVoltage(UINT receiver, std::int8_t voltage, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> reply{};
    const BOOL ok =
        ShortCommand(cmd::ForReceiver(cmd::kDagcVoltages, r), VoltageByte(m_nDagcStartVoltage[r]),
                     VoltageByte(voltage), 0, reply, trace);
    StoreDagcVoltageReply(*this, r, reply);
    return ok;
}

void CVX18D3_Comm::SetDagcVoltageRange(UINT receiver, std::int8_t start, std::int8_t end,
                                       BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> reply{};
    ShortCommand(cmd::ForReceiver(cmd::kDagcVoltages, r), VoltageByte(start), VoltageByte(end), 0,
                 reply, trace);
    StoreDagcVoltageReply(*this, r, reply);
}

BOOL CVX18D3_Comm::SetDagcLowerDbm(UINT receiver, std::int8_t limit, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    const int upper = m_nDagcUpperDbm[r];
    int lower = std::max<int>(limit, kMinDagcLowerDbm);
    if (lower >= upper)
        lower = upper - 1;
    std::array<BYTE, 3> reply{};
    const BOOL ok =
        ShortCommand(cmd::ForReceiver(cmd::kDagcLimits, r), static_cast<BYTE>(SignedByte(lower)),
                     static_cast<BYTE>(SignedByte(upper)), 0, reply, trace);
    StoreDagcLimitReply(*this, r, reply);
    return ok;
}

BOOL CVX18D3_Comm::SetDagcUpperDbm(UINT receiver, std::int8_t limit, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    const int lower = m_nDagcLowerDbm[r];
    int upper = std::min<int>(limit, kMaxDagcUpperDbm);
    if (upper <= lower)
        upper = lower + 1;
    std::array<BYTE, 3> reply{};
    const BOOL ok =
        ShortCommand(cmd::ForReceiver(cmd::kDagcLimits, r), static_cast<BYTE>(SignedByte(lower)),
                     static_cast<BYTE>(SignedByte(upper)), 0, reply, trace);
    StoreDagcLimitReply(*this, r, reply);
    return ok;
}

void CVX18D3_Comm::SetDagcDbmRange(UINT receiver, std::int8_t lower, std::int8_t upper,
                                   BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    // The lower limit is judged against the upper limit as asked for, before
    // the upper limit's own clamp.
    int lo = std::max<int>(lower, kMinDagcLowerDbm);
    if (lo >= upper)
        lo = SignedByte(upper - 1);
    int hi = std::min<int>(upper, kMaxDagcUpperDbm);
    if (hi <= lo)
        hi = lo + 1;
    std::array<BYTE, 3> reply{};
    ShortCommand(cmd::ForReceiver(cmd::kDagcLimits, r), static_cast<BYTE>(SignedByte(lo)),
                 static_cast<BYTE>(SignedByte(hi)), 0, reply, trace);
    StoreDagcLimitReply(*this, r, reply);
}

BOOL CVX18D3_Comm::SetAmGain(UINT receiver, BYTE gain, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::ForReceiver(cmd::kAmGain, r), cmd::kAmGainWrite,
                                 std::min(gain, kMaxAmGain), 0, reply, trace);
    m_nAmGain[r] = reply[1];
    return ok;
}

BOOL CVX18D3_Comm::SetRssiAveraging(UINT receiver, UINT mode, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::ForReceiver(cmd::kRssiAveraging, r), mode == 1 ? 1 : 0, 0, 0,
                                 reply, trace);
    m_bRssiFiltered[r] = reply[0] == 1 ? 1 : 0;
    return ok;
}

void CVX18D3_Comm::SetVideoOutGain(UINT receiver, UINT gain, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    // Clamped as a whole number: narrowing first would turn 70000 into 4464.
    const UINT value = std::min(gain, kMaxVideoGain);
    std::array<BYTE, 3> reply{};
    const BOOL ok = ShortCommand(cmd::ForReceiver(cmd::kVideoGain, r), kVideoGainWrite,
                                 static_cast<BYTE>(value & 0xFF),
                                 static_cast<BYTE>((value >> 8) & 0x3F), reply, trace);
    if (ok && reply[0] == kVideoGainWrite)
        m_wVideoGain[r] = cmd::Word(reply[1], reply[2]);
}

void CVX18D3_Comm::SaveVideoOutGain(UINT receiver, UINT gain, BOOL trace) {
    const UINT r = ReceiverIndex(receiver);
    WriteRegister(r, kVideoGainPage, kVideoGainRegister,
                  static_cast<WORD>(std::min(gain, kMaxVideoGain)), trace);
}

} // namespace vx
