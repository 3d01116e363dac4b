#include "ui/monitor/TrafficMonitor.h"

#include "platform/MessageBox.h"
#include "trace/TrafficLog.h"
#include "ui/IndicatorImages.h"
#include "ui/monitor/TrafficModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace vx::ui {
namespace {

constexpr int kRefreshMs = 250;
// Characters each column is made wide enough for: the time, the longest
// request and reply but a firmware block's (a configuration word, a status
// reply), the reply time, and the packet of a configuration word.
constexpr int kTimeChars = 10;
constexpr int kRequestChars = 14 * 3;
constexpr int kReplyChars = 15 * 3;
constexpr int kReplyTimeChars = 8;
constexpr int kPacketChars = 120;
constexpr int kRowsShown = 28;

QPushButton* AddButton(QHBoxLayout* row, const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

TrafficMonitor::TrafficMonitor(TrafficLog& log, QWidget* parent)
    : QWidget(parent, Qt::Window), m_log(log) {
    setObjectName(QStringLiteral("trafficMonitor"));
    setWindowTitle(tr("VX18D Traffic Monitor"));
    setWindowIcon(LoadImageResource(IDR_MAINFRAME));

    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    m_pause = AddButton(buttons, tr("&Pause"), "pauseButton");
    m_pause->setCheckable(true);
    QPushButton* clear = AddButton(buttons, tr("C&lear"), "clearButton");
    QPushButton* copy = AddButton(buttons, tr("&Copy"), "copyButton");
    QPushButton* save = AddButton(buttons, tr("&Save as Text..."), "saveButton");
    buttons->addSpacing(fontMetrics().averageCharWidth() * 2);
    m_showPolls = new QCheckBox(tr("Show status &polls"));
    m_showPolls->setObjectName(QStringLiteral("showPolls"));
    m_showPolls->setToolTip(tr("The status worker's polls (status and AM counter). "
                               "A poll that failed is always shown."));
    buttons->addWidget(m_showPolls);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    m_model = new TrafficModel(this);
    m_view = new QTreeView;
    m_view->setObjectName(QStringLiteral("trafficView"));
    // Fixed pitch, so that the bytes stand in columns, at the desktop's size.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(font().pointSizeF());
    m_view->setFont(fixed);
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(m_view, 1);
    FitColumns();

    auto* copyKey = new QAction(m_view);
    copyKey->setShortcut(QKeySequence::Copy);
    copyKey->setShortcutContext(Qt::WidgetShortcut);
    m_view->addAction(copyKey);

    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        if (!paused)
            Refresh();
    });
    connect(clear, &QPushButton::clicked, this, &TrafficMonitor::OnClear);
    connect(copy, &QPushButton::clicked, this, &TrafficMonitor::CopySelection);
    connect(copyKey, &QAction::triggered, this, &TrafficMonitor::CopySelection);
    connect(save, &QPushButton::clicked, this, &TrafficMonitor::OnSave);
    connect(m_showPolls, &QCheckBox::toggled, this, &TrafficMonitor::OnShowPolls);

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &TrafficMonitor::Refresh);
}

TrafficMonitor::~TrafficMonitor() {
    Listen(false);
}

void TrafficMonitor::FitColumns() {
    const QFontMetrics metrics(m_view->font());
    const int margin = m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) * 2 + 8;
    const auto width = [&](int chars) {
        return metrics.horizontalAdvance(QLatin1Char('0')) * chars + margin;
    };
    QHeaderView* header = m_view->header();
    header->setStretchLastSection(false);
    int total = 0;
    for (const auto& [column, chars] : {std::pair{TrafficModel::kTime, kTimeChars},
                                        {TrafficModel::kRequest, kRequestChars},
                                        {TrafficModel::kReply, kReplyChars},
                                        {TrafficModel::kReplyTime, kReplyTimeChars},
                                        {TrafficModel::kPacket, kPacketChars}}) {
        header->resizeSection(column, width(chars));
        total += width(chars);
    }
    // As wide as the columns where the screen allows; where it does not,
    // the list scrolls sideways.
    const QMargins margins = layout()->contentsMargins();
    const int frame = m_view->frameWidth() * 2;
    const int bar = m_view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize size(total + frame + bar + margins.left() + margins.right(),
               layout()->itemAt(0)->sizeHint().height() + layout()->spacing() +
                   header->sizeHint().height() + (metrics.height() + 4) * kRowsShown + frame +
                   margins.top() + margins.bottom());
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void TrafficMonitor::Listen(bool on) {
    if (on == m_listening)
        return;
    m_listening = on;
    m_log.Listen(on);
    if (on)
        m_timer->start();
    else
        m_timer->stop();
}

void TrafficMonitor::Open() {
    Listen(true);
    Refresh();
    show();
    raise();
    activateWindow();
}

void TrafficMonitor::closeEvent(QCloseEvent* event) {
    Listen(false);
    QWidget::closeEvent(event);
}

void TrafficMonitor::Refresh() {
    if (m_pause->isChecked() || m_log.NextSequence() == m_model->NextSequence())
        return;
    const QScrollBar* bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    m_model->Update(m_log.Since(m_model->NextSequence()));
    if (atEnd)
        m_view->scrollToBottom();
}

void TrafficMonitor::OnClear() {
    m_log.Clear();
    m_model->Reset(m_log.Since(m_log.NextSequence()));
}

void TrafficMonitor::OnShowPolls(bool show) {
    m_model->SetShowPolls(show);
    m_model->Reset(m_log.Since(0));
    m_view->scrollToBottom();
}

QString TrafficMonitor::Text() const {
    QString text;
    for (int row = 0; row < m_model->rowCount(); ++row)
        text += m_model->LineText(row) + QLatin1Char('\n');
    return text;
}

void TrafficMonitor::CopySelection() {
    QModelIndexList rows = m_view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex& row : rows)
        text += m_model->LineText(row.row()) + QLatin1Char('\n');
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void TrafficMonitor::OnSave() {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save Traffic as Text"),
                                     QDir::home().filePath(QStringLiteral("vx18d-traffic.txt")),
                                     tr("Text files (*.txt);;All files (*)"));
    if (!path.isEmpty())
        SaveText(path);
}

bool TrafficMonitor::SaveText(const QString& path) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(Text().toUtf8());
        if (file.commit())
            return true;
    }
    plat::ShowMessageBox("Cannot write " + path.toStdString() + ": " +
                             file.errorString().toStdString(),
                         "Save Traffic as Text", plat::MB_OK | plat::MB_ICONERROR,
                         static_cast<const QWidget*>(this));
    return false;
}

} // namespace vx::ui
