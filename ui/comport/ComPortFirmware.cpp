// The communications page's firmware update: Browse picks the image file,
// Load sends it to the unit off the user-interface thread and reports the
// outcome with the boxes, tones and debugger lines below, in this order.
#include "files/FileException.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/SystemMessage.h"
#include "protocol/CVX18D3_Comm.h"
#include "ui/comport/CVX18D_ComPort.h"
#include "ui/comport/ComPortTemplate.h"
#include "ui/comport/FirmwareLoadRunner.h"
#include "ui/main/CVX18DDlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include <cstdio>

namespace vx::ui {
namespace {

constexpr const char* kTooBigText = "The File size exceeds the buffer size in the DSP.";
constexpr const char* kAllocationText = "bad allocation";
constexpr const char* kDoneText = "DSP Flash Operation Done";
constexpr const char* kFailedText = "Serial Port Error";

void ErrorBox(const std::string& text, const char* title) {
    plat::ShowMessageBox(text, title, plat::MB_OK | plat::MB_ICONERROR, nullptr);
}

void DebugLine(const std::string& text) {
    plat::OutputDebugString(text + "\r\n");
}

// The busy cursor (an arrow with the wait sign, so Cancel still looks
// pressable) for as long as the handler runs.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::BusyCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

CVX18D_ComPort::FileChoice ShowFirmwareFileDialog(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    dialog.setNameFilter(QStringLiteral("Binary Files (*.bin)"));
    using Result = CVX18D_ComPort::FileChoice::Result;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {Result::Cancelled, {}};
    return {Result::Chosen, QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath()};
}

FileError FileErrorOf(const vx::FirmwareFileFailure& failure, const std::string& path) {
    FileError error;
    error.cause = failure.step == vx::FirmwareFileFailure::Step::EndOfFile
                      ? FileError::endOfFile
                      : FileCauseFromErrno(failure.osError);
    error.osError = failure.osError;
    error.fileName = path;
    return error;
}

} // namespace

void CVX18D_ComPort::OnBrowse() {
    const FileChoice choice = m_fileDialog ? m_fileDialog(this) : ShowFirmwareFileDialog(this);
    if (choice.result == FileChoice::Result::Failed) {
        const plat::DWORD error = plat::GetLastError();
        char text[512];
        std::snprintf(text, sizeof text, "GetLastError() returned:%lu, Meaning: %s",
                      static_cast<unsigned long>(error), plat::FormatSystemMessage(error).c_str());
        ErrorBox(plat::TrimRight(text), "Dialog DoModal() Error");
        return;
    }
    if (choice.result == FileChoice::Result::Chosen)
        m_path->setText(choice.path);
}

void CVX18D_ComPort::OnLoad() {
    if (m_bLoading)
        return;
    m_bLoading = true;
    const BusyCursor cursor;

    // The main window stops polling and recording: from here on the image
    // blocks are the only traffic on the port. Whatever the window queued
    // for the unit before (a page's re-read after a poll) runs now, not
    // while the transfer holds the line.
    if (m_hMainWnd)
        m_hMainWnd->SendMessage(WM_STOP_POLLING, 0, 0);
    QCoreApplication::sendPostedEvents();

    const std::string path = QFile::encodeName(m_path->text()).toStdString();
    const vx::FirmwareLoadOutcome outcome = RunFirmwareLoad(
        this, *m_pComm, path, m_firmwareTiming, [] { Sound(kComPortTones.flashCommitted); });

    for (const vx::FirmwareFileFailure& failure : outcome.fileFailures)
        ReportFileExceptionCause(FileErrorOf(failure, path));
    switch (outcome.result) {
    case vx::FirmwareResult::TooBig:
        plat::OutputDebugString("File Too Big Error.\r\n");
        ErrorBox(kTooBigText, "File Too Big Error");
        DebugLine(kTooBigText);
        break;
    case vx::FirmwareResult::AllocationFailed:
        plat::OutputDebugString("Failed allocation from operator new.\r\n");
        ErrorBox(kAllocationText, "Allocation Error");
        DebugLine(kAllocationText);
        break;
    default:
        break;
    }

    if (outcome.Succeeded()) {
        Sound(kComPortTones.flashDone);
        plat::ShowMessageBox(kDoneText, "DSP Flash File", plat::MB_OK | plat::MB_ICONINFORMATION,
                             nullptr);
        DebugLine(kDoneText);
    } else {
        Sound(kComPortTones.flashFailed);
        ErrorBox(kFailedText, "Serial Port Error");
        DebugLine(kFailedText);
    }
    m_pComm->MarkTraceBreak();
    m_bLoading = false;
}

} // namespace vx::ui
