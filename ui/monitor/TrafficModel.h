// The rows of the traffic monitor: the lines the traffic log holds, as
// columns (time, request, reply, reply time, packet), with the status
// worker's polls left out unless they are asked for (a failed poll is
// always shown: it is what a link fault looks like), one end-of-action row
// however many breaks come in a row, and a first row that says how many
// exchanges fell out of the log's ring. Texts are made only for the rows
// that are drawn.
#pragma once

#include "trace/TrafficLog.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <deque>
#include <memory>

namespace vx::ui {

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTime, kRequest, kReply, kReplyTime, kPacket, kColumnCount };

    explicit TrafficModel(QObject* parent = nullptr);

    // Takes in what the log holds from NextSequence() on, and lets go of
    // the rows that fell out of its ring.
    void Update(const TrafficLog::Held& held);
    // Starts again from everything the log holds (after Clear or a change of filter).
    void Reset(const TrafficLog::Held& held);
    void SetShowPolls(bool show) { m_showPolls = show; }
    bool ShowPolls() const { return m_showPolls; }
    // The first sequence number not taken in yet.
    std::uint64_t NextSequence() const { return m_next; }

    // A row as a line of the traffic's printed form, as the trace file has it.
    QString LineText(int row) const;
    // The entry a row shows; null for the row of exchanges that fell out.
    const TrafficEntry* Entry(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The rows before the entries: one when exchanges fell out.
    int Offset() const { return m_fellOut > 0 ? 1 : 0; }
    // Whether an entry gets a row, after the row of `last` (null: none yet).
    bool Wanted(const TrafficEntry& entry, const TrafficEntry* last) const;
    QString Text(const TrafficEntry& entry, int column) const;
    void SetFellOut(std::uint64_t fellOut);

    std::deque<std::shared_ptr<const TrafficEntry>> m_rows;
    std::uint64_t m_fellOut = 0;
    std::uint64_t m_next = 0;
    bool m_showPolls = false;
};

} // namespace vx::ui
