#include "ui/monitor/TrafficModel.h"

#include "trace/PacketText.h"
#include "trace/TrafficLine.h"

#include <QColor>

namespace vx::ui {
namespace {

const QColor kFailureInk(0xC0, 0x00, 0x00);
const QColor kQuietInk(0x70, 0x70, 0x70);
const QColor kBreakBackground(0xE8, 0xE8, 0xE8);

QString Packet(const TrafficEntry& entry) {
    std::string text = DescribePacket(entry);
    for (const std::string& extra : {FaultText(entry), StaleText(entry)}) {
        if (!extra.empty())
            text += " \u2014 " + extra;
    }
    return QString::fromStdString(text);
}

} // namespace

TrafficModel::TrafficModel(QObject* parent) : QAbstractTableModel(parent) {}

bool TrafficModel::Wanted(const TrafficEntry& entry, const TrafficEntry* last) const {
    switch (entry.kind) {
    case TrafficEntry::Kind::exchange:
        return m_showPolls || entry.Failed() || !IsPollTraffic(entry);
    case TrafficEntry::Kind::actionBreak:
        // A break after nothing shown, or after another, separates nothing.
        return last && last->kind != TrafficEntry::Kind::actionBreak;
    case TrafficEntry::Kind::note:
        return true;
    }
    return true;
}

void TrafficModel::SetFellOut(std::uint64_t fellOut) {
    if (fellOut == m_fellOut)
        return;
    if (m_fellOut == 0) {
        beginInsertRows({}, 0, 0);
        m_fellOut = fellOut;
        endInsertRows();
    } else if (fellOut == 0) {
        beginRemoveRows({}, 0, 0);
        m_fellOut = 0;
        endRemoveRows();
    } else {
        m_fellOut = fellOut;
        emit dataChanged(index(0, 0), index(0, kColumnCount - 1));
    }
}

void TrafficModel::Update(const TrafficLog::Held& held) {
    // Rows whose lines the log no longer holds go first.
    std::size_t gone = 0;
    while (gone < m_rows.size() && m_rows[gone]->sequence < held.firstHeld)
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, Offset(), Offset() + static_cast<int>(gone) - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(gone));
        endRemoveRows();
    }
    SetFellOut(held.fellOut);

    std::vector<std::shared_ptr<const TrafficEntry>> added;
    const TrafficEntry* last = m_rows.empty() ? nullptr : m_rows.back().get();
    for (const auto& entry : held.entries) {
        if (entry->sequence < m_next)
            continue;
        m_next = entry->sequence + 1;
        if (Wanted(*entry, last)) {
            added.push_back(entry);
            last = entry.get();
        }
    }
    if (held.entries.empty() && held.firstHeld > m_next)
        m_next = held.firstHeld;
    if (added.empty())
        return;
    const int first = Offset() + static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    m_rows.insert(m_rows.end(), added.begin(), added.end());
    endInsertRows();
}

void TrafficModel::Reset(const TrafficLog::Held& held) {
    beginResetModel();
    m_rows.clear();
    m_fellOut = 0;
    m_next = 0;
    endResetModel();
    Update(held);
}

const TrafficEntry* TrafficModel::Entry(int row) const {
    const int at = row - Offset();
    if (at < 0 || at >= static_cast<int>(m_rows.size()))
        return nullptr;
    return m_rows[static_cast<std::size_t>(at)].get();
}

QString TrafficModel::LineText(int row) const {
    if (const TrafficEntry* entry = Entry(row))
        return QString::fromStdString(FormatTrafficLine(*entry));
    return row == 0 && m_fellOut > 0 ? QString::fromStdString(FellOutText(m_fellOut)) : QString();
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Offset() + static_cast<int>(m_rows.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString TrafficModel::Text(const TrafficEntry& entry, int column) const {
    if (column == kTime)
        return QString::fromStdString(MillisecondsText(entry.atUs));
    switch (entry.kind) {
    case TrafficEntry::Kind::actionBreak:
        return column == kRequest ? QString::fromLatin1(kActionBreakText) : QString();
    case TrafficEntry::Kind::note:
        return column == kPacket ? QString::fromStdString(entry.note) : QString();
    case TrafficEntry::Kind::exchange:
        break;
    }
    switch (column) {
    case kRequest:
        return QString::fromStdString(HexBytes(entry.request));
    case kReply:
        return entry.reply.empty() ? QStringLiteral("-")
                                   : QString::fromStdString(HexBytes(entry.reply));
    case kReplyTime:
        return QString::fromStdString(MillisecondsText(entry.replyUs));
    default:
        return Packet(entry);
    }
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const TrafficEntry* entry = Entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (entry)
            return Text(*entry, index.column());
        return index.column() == kPacket ? QString::fromStdString(FellOutText(m_fellOut))
                                         : QVariant();
    case Qt::ForegroundRole:
        if (!entry || entry->kind != TrafficEntry::Kind::exchange)
            return kQuietInk;
        return entry->Failed() ? QVariant(kFailureInk) : QVariant();
    case Qt::BackgroundRole:
        return entry && entry->kind == TrafficEntry::Kind::actionBreak ? QVariant(kBreakBackground)
                                                                       : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == kTime || index.column() == kReplyTime)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kTime:
        return tr("Time ms");
    case kRequest:
        return tr("Request");
    case kReply:
        return tr("Reply");
    case kReplyTime:
        return tr("Reply ms");
    default:
        return tr("Packet");
    }
}

} // namespace vx::ui
