#include "GuiTestSupport.h"

#include "app/CVX18DApp.h"
#include "platform/Clock.h"
#include "platform/LastError.h"

#include <QLineEdit>

#include <fstream>
#include <sstream>

namespace vxtest {

WindowSession::WindowSession(sim::UnitOptions options, std::uint32_t baud,
                             const SimLink::Route& route)
    : m_link(options, baud, "COM7", route) {
    m_link.Comm().m_nTimeout = 300;
}

WindowSession::~WindowSession() {
    if (m_dlg)
        Close();
}

vx::ui::CVX18DDlg& WindowSession::Open(int offline) {
    m_appDir = vx::RecordFolder();
    m_dlg = std::make_unique<vx::ui::CVX18DDlg>(&m_link.Comm(), offline);
    m_dlg->m_strAppDir = m_appDir;
    m_dlg->OnInitDialog();
    m_dlg->show();
    return *m_dlg;
}

std::int64_t WindowSession::Close() {
    const std::int64_t start = plat::TickMs();
    m_dlg->DestroyWindow();
    const std::int64_t took = plat::TickMs() - start;
    m_dlg.reset();
    return took;
}

ShellOpenRecorder::ShellOpenRecorder()
    : m_paths(std::make_shared<std::vector<std::string>>()),
      m_failure(std::make_shared<plat::DWORD>(0)) {
    m_previous = plat::SetShellOpenHandler(
        [paths = m_paths, failure = m_failure](const std::string& path) -> std::intptr_t {
            paths->push_back(path);
            if (*failure == 0)
                return 42;
            plat::SetLastError(*failure);
            return 2;
        });
}

ShellOpenRecorder::~ShellOpenRecorder() {
    plat::SetShellOpenHandler(std::move(m_previous));
}

std::vector<std::string> ShellOpenRecorder::Paths() const {
    return *m_paths;
}

QString EditText(QWidget& window, int id) {
    auto* edit = Control<QLineEdit>(window, id);
    return edit ? edit->text() : QStringLiteral("<missing %1>").arg(id);
}

std::size_t CountRequests(sim::SimulatedUnit& unit, sim::PacketType type, int commandByte) {
    std::size_t count = 0;
    for (const auto& request : unit.Requests()) {
        if (request.size() < sim::kHeaderSize || request[2] != type.first ||
            request[3] != type.second)
            continue;
        if (commandByte >= 0 &&
            (request.size() <= sim::kHeaderSize || request[sim::kHeaderSize] != commandByte))
            continue;
        ++count;
    }
    return count;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace vxtest
