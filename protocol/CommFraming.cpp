// Packet framing, the request/reply exchange, the link test and the byte trace.
#include "protocol/CVX18D3_Comm.h"

#include "platform/LastError.h"

#include "platform/Clock.h"

#include <cstring>

namespace vx {

CVX18D3_Comm::CVX18D3_Comm(CBaseClass* port) : m_pPort(port) {}

CVX18D3_Comm::~CVX18D3_Comm() = default;

BOOL CVX18D3_Comm::Transact(BYTE* request, WORD payloadLength, BYTE* reply, WORD replyPayloadLength,
                            BOOL trace) {
    return Exchange(request, payloadLength, reply, replyPayloadLength, trace, m_nTimeout);
}

BOOL CVX18D3_Comm::TransactLong(BYTE* request, WORD payloadLength, BYTE* reply,
                                WORD replyPayloadLength, BOOL trace) {
    return Exchange(request, payloadLength, reply, replyPayloadLength, trace,
                    10 * static_cast<std::int64_t>(m_nTimeout));
}

BOOL CVX18D3_Comm::Exchange(BYTE* request, WORD payloadLength, BYTE* reply, WORD replyPayloadLength,
                            BOOL trace, std::int64_t deadlineMs) {
    request[0] = kStartByte;
    request[1] = 0x00;
    request[4] = static_cast<BYTE>(payloadLength & 0xFF);
    request[5] = static_cast<BYTE>(payloadLength >> 8);

    // Bytes already waiting cannot answer a request not yet written: they are
    // the late reply of an exchange that gave up, or surplus of one before.
    // Read as this reply, they would put every later exchange out of step.
    m_pPort->DiscardPendingInput();

    const WORD requestLength = static_cast<WORD>(payloadLength + kHeaderLength);
    if (!m_pPort->Write(request, requestLength))
        return 0;

    if (m_hTraceWnd && trace) {
        for (WORD i = 0; i < requestLength; ++i)
            m_hTraceWnd->SendMessage(WM_TRACE_REQUEST_BYTE, i, request[i]);
    }

    // Wall time: a deadline on processor time would never pass while the
    // thread waits on the line.
    const std::int64_t start = plat::TickMs();
    const WORD total = static_cast<WORD>(replyPayloadLength + kHeaderLength);
    WORD received = 0;
    BOOL result = 0;
    do {
        plat::SetLastError(plat::ERROR_SUCCESS);
        result = m_pPort->ReadByte(&reply[received]);
        // A device that went away (adapter unplugged, network connection
        // lost) fails every read at once: nothing more can arrive, and
        // reading on until the deadline would only spin.
        if (!result && plat::GetLastError() == plat::ERROR_DEVICE_NOT_CONNECTED) {
            m_nLastResult = 0;
            return 0;
        }
        if (result) {
            if (m_hTraceWnd && trace)
                m_hTraceWnd->SendMessage(WM_TRACE_REPLY_BYTE, received, reply[received]);
            ++received;
        }
        // The deadline comes before the completion test: a last byte at or
        // after it still makes the exchange a time-out.
        if (plat::TickMs() - start >= deadlineMs) {
            m_nLastResult = 0;
            return 0;
        }
    } while (received < total);

    m_nLastResult = static_cast<std::uint32_t>(result);
    return result;
}

BOOL CVX18D3_Comm::Ping(BOOL trace) {
    BYTE request[kHeaderLength] = {0, 0, 0x00, 0x00, 0, 0};
    BYTE reply[kHeaderLength] = {};
    const BOOL result = Transact(request, 0, reply, 0, trace);
    static constexpr BYTE kEcho[kHeaderLength] = {kStartByte, 0, 0, 0, 0, 0};
    if (std::memcmp(reply, kEcho, sizeof kEcho) != 0)
        m_nLastResult = 0;
    return result;
}

void CVX18D3_Comm::MarkTraceBreak() {
    if (m_hTraceWnd)
        m_hTraceWnd->SendMessage(WM_TRACE_BREAK, 0, 0);
}

BOOL CVX18D3_Comm::ShortCommand(BYTE commandByte, BYTE arg1, BYTE arg2, BYTE arg3,
                                std::array<BYTE, 3>& result, BOOL trace) {
    BYTE request[kHeaderLength + 4] = {0, 0, 0x01, 0x10, 0, 0, commandByte, arg1, arg2, arg3};
    BYTE reply[kHeaderLength + 4] = {};
    const BOOL ok = Transact(request, 4, reply, 4, trace);
    // A reply cut off by the deadline would otherwise hand back half a value.
    if (ok)
        result = {reply[7], reply[8], reply[9]};
    else
        result = {0, 0, 0};
    return ok;
}

} // namespace vx
