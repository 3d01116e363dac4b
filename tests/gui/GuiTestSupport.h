// Shared pieces of the window tests: the main window opened on a simulated
// unit, a recorder for the desktop's opener, and lookups of controls by
// their identifiers.
#pragma once

#include "support/SimLink.h"
#include "ui/main/CVX18DDlg.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vxtest {

// The main window on a simulated unit, in an isolated configuration; with a
// route, on the port the route names (see SimLink).
class WindowSession {
public:
    explicit WindowSession(sim::UnitOptions options = {}, std::uint32_t baud = 115200,
                           const SimLink::Route& route = {});
    ~WindowSession();
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // Constructs the window, runs its initialisation and shows it.
    vx::ui::CVX18DDlg& Open(int offline = 0);
    // DestroyWindow, then deletes the window; returns how long DestroyWindow took, in ms.
    std::int64_t Close();

    vx::ui::CVX18DDlg& Dlg() { return *m_dlg; }
    sim::SimulatedUnit& Unit() { return m_link.Unit(); }
    vx::CVX18D3_Comm& Comm() { return m_link.Comm(); }
    bool Ready() const { return m_link.Ready(); }
    // The record folder handed to the window, with its trailing separator.
    const std::string& AppDir() const { return m_appDir; }

private:
    SimLink m_link;
    std::string m_appDir;
    std::unique_ptr<vx::ui::CVX18DDlg> m_dlg;
};

// Records the paths handed to the desktop's opener; fails with the given
// error when told to.
class ShellOpenRecorder {
public:
    ShellOpenRecorder();
    ~ShellOpenRecorder();
    ShellOpenRecorder(const ShellOpenRecorder&) = delete;
    ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;

    std::vector<std::string> Paths() const;
    void FailWith(plat::DWORD error) { *m_failure = error; }

private:
    std::shared_ptr<std::vector<std::string>> m_paths;
    std::shared_ptr<plat::DWORD> m_failure;
    plat::ShellOpenHandler m_previous;
};

template <class T> T* Control(QWidget& window, int id) {
    return window.findChild<T*>(QString::number(id));
}

// The text of a line edit found by its identifier.
QString EditText(QWidget& window, int id);

// Requests the unit received of one packet type; for short commands
// (type 01 10) only those with the given command byte when it is not -1.
std::size_t CountRequests(sim::SimulatedUnit& unit, sim::PacketType type, int commandByte = -1);

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

} // namespace vxtest
