// The traffic monitor: a window beside the main window (it does not block
// it) that lists the exchanges with the unit as they happen, one row each,
// failures in red and the end of each operator action as a grey bar. The
// status worker's polls are left out until "Show status polls" is ticked.
// Pause freezes the list (the log keeps recording), Clear empties it, Copy
// puts the selected rows on the clipboard and Save as Text writes the rows
// shown, both as lines of the trace file's form.
//
// The log keeps lines for it only while it is open. The window looks at the
// log four times a second, so that a burst of exchanges, or the steady stream
// of polls when they are shown, costs it one update and one repaint per look.
#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;
class QTimer;
class QTreeView;

namespace vx {
class TrafficLog;
}

namespace vx::ui {

class TrafficModel;

class TrafficMonitor : public QWidget {
    Q_OBJECT

public:
    // A window of its own, owned by parent.
    TrafficMonitor(TrafficLog& log, QWidget* parent);
    ~TrafficMonitor() override;
    TrafficMonitor(const TrafficMonitor&) = delete;
    TrafficMonitor& operator=(const TrafficMonitor&) = delete;

    // Shows the window, or raises it when it is open already, and listens.
    void Open();
    // Takes in what the log kept since the last look, unless paused.
    void Refresh();
    // The rows shown, one line each, as the trace file has them.
    QString Text() const;
    // Writes Text() to path; false, after a message box, when it cannot.
    bool SaveText(const QString& path);
    void CopySelection();

    TrafficModel& Model() { return *m_model; }
    QTreeView* View() const { return m_view; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Listen(bool on);
    void OnClear();
    void OnSave();
    void OnShowPolls(bool show);
    void FitColumns();

    TrafficLog& m_log;
    TrafficModel* m_model = nullptr;
    QTreeView* m_view = nullptr;
    QPushButton* m_pause = nullptr;
    QCheckBox* m_showPolls = nullptr;
    QTimer* m_timer = nullptr;
    bool m_listening = false;
};

} // namespace vx::ui
