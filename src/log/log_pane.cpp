#include "log/log_pane.h"

#include "log/log_file.h"
#include "log/log_print.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace holvex {

namespace {
// One log entry is one line: a line break that is not a CR LF pair would otherwise split the entry on screen
// but not in the list, and the two must agree.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
} // namespace

LogPane::LogPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LogPane"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo_log"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setUndoRedoEnabled(false);

    m_clear = new QPushButton(QStringLiteral("Clear log"), this);
    m_clear->setObjectName(QStringLiteral("Butt_clear_log"));
    m_save = new QPushButton(QStringLiteral("Save log"), this);
    m_save->setObjectName(QStringLiteral("Butt_save_log"));
    m_print = new QPushButton(QStringLiteral("Print log"), this);
    m_print->setObjectName(QStringLiteral("Butt_print_log"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_clear);
    buttons->addWidget(m_save);
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);

    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(0);

    connect(m_flushTimer, &QTimer::timeout, this, &LogPane::flushView);
    connect(m_clear, &QPushButton::clicked, this, &LogPane::Butt_clear_logClick);
    connect(m_save, &QPushButton::clicked, this, &LogPane::Butt_save_logClick);
    connect(m_print, &QPushButton::clicked, this, &LogPane::Butt_print_logClick);
}

void LogPane::logLine(const QString& text) {
    // The widget belongs to the user-interface thread; a line from elsewhere is handed over, not written.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { logLine(text); }, Qt::QueuedConnection);
        return;
    }
    const QStringList parts = text.split(QStringLiteral("\r\n"));
    for (const QString& part : parts) {
        const QString line = oneLine(part);
        m_lines.append(line);
        m_pending.append(line);
    }
    if (!m_flushTimer->isActive()) {
        m_flushTimer->start();
    }
}

void LogPane::flushView() {
    m_flushTimer->stop();
    if (m_pending.isEmpty()) {
        return;
    }
    QScrollBar* bar = m_text->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    // One block per line; a single append of the joined batch lays the text out once.
    m_text->appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
    if (atEnd) {
        bar->setValue(bar->maximum());
    }
}

void LogPane::clearLog() {
    m_flushTimer->stop();
    m_pending.clear();
    m_lines.clear();
    m_text->clear();
}

bool LogPane::saveTo(const QString& path) {
    if (writeLogFile(path, m_lines)) {
        return true;
    }
    logLine(QStringLiteral("Can not write file, no rights..."));
    return false;
}

int LogPane::printTo(QPagedPaintDevice& device, const QDateTime& when) {
    return printLog(device, m_lines, logPrintHeading(when));
}

void LogPane::setLastDirectoryProvider(std::function<QString()> provider) {
    m_lastDirectory = std::move(provider);
}

QString LogPane::chooseSaveFileName(const QString& proposed) {
    return QFileDialog::getSaveFileName(this, QString(), proposed, QStringLiteral("Text Files (*.txt)"));
}

bool LogPane::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

void LogPane::Butt_clear_logClick() {
    clearLog();
}

void LogPane::Butt_save_logClick() {
    const QString folder = m_lastDirectory ? m_lastDirectory() : QString();
    const QString name = chooseSaveFileName(proposedLogFileName(folder));
    if (!name.isEmpty()) {
        saveTo(name);
    }
}

void LogPane::Butt_print_logClick() {
    QPrinter printer;
    if (choosePrinter(printer)) {
        printTo(printer, QDateTime::currentDateTime());
    }
}

} // namespace holvex
