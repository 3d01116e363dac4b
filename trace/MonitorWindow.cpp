#include "trace/MonitorWindow.h"

#include "platform/SystemMessage.h"
#include "protocol/CVX18D3_Comm.h"

namespace vx {

plat::LRESULT MonitorWindow::SendMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
    if (message == WM_TRACE_BREAK && m_trace) {
        m_trace->Break();
    } else if (message == WM_TRACE_RETRY) {
        if ((!m_port || m_port->RepeatNextRequest()) && m_trace)
            m_trace->Note("no complete reply: the request goes out again (try " +
                          std::to_string(wParam) + ")");
    } else if (message == WM_REGISTRY_ERROR) {
        const auto code = static_cast<plat::DWORD>(wParam);
        m_err << "vx18dctl: warning: settings store: Operation returned:" << code
              << ", Meaning: " << plat::TrimRight(plat::FormatSystemMessage(code)) << '\n';
    }
    // The per-byte trace messages are not needed: the traced port sees every byte.
    return 0;
}

} // namespace vx
