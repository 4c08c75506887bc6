#pragma once

#include "log/log_sink.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QDateTime;
class QPagedPaintDevice;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QTimer;

namespace holvex {

// The event log: a read-only, unwrapped text with "Clear log", "Save log" and "Print log". The lines are kept
// in a list that always matches what is shown, so readers (the display answer parsers) can look at the last
// lines directly; the view itself is fed in batches so that long scans stay fast.
class LogPane : public QWidget, public LogSink {
    Q_OBJECT
public:
    explicit LogPane(QWidget* parent = nullptr);

    // Called from another thread, the line is queued to the pane's own thread and appears there.
    void logLine(const QString& text) override;

    const QStringList& lines() const { return m_lines; }
    int lineCount() const { return static_cast<int>(m_lines.size()); }
    void clearLog();

    // Writes the log to the file; on failure logs "Can not write file, no rights..." and returns false.
    bool saveTo(const QString& path);
    // Prints every line with the heading of `when`; returns the number of pages.
    int printTo(QPagedPaintDevice& device, const QDateTime& when);

    // The folder the save dialog starts in (`LastDirectory`), read when the dialog opens.
    void setLastDirectoryProvider(std::function<QString()> provider);

    // Shows the lines that are still waiting for the view.
    void flushView();

    QPlainTextEdit* textView() const { return m_text; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* printButton() const { return m_print; }

protected:
    // Dialogs, replaceable so tests never block: an empty name or false means cancelled.
    virtual QString chooseSaveFileName(const QString& proposed);
    virtual bool choosePrinter(QPrinter& printer);

private:
    void Butt_clear_logClick();
    void Butt_save_logClick();
    void Butt_print_logClick();

    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_print = nullptr;
    QTimer* m_flushTimer = nullptr;
    QStringList m_lines;
    QStringList m_pending;
    std::function<QString()> m_lastDirectory;
};

} // namespace holvex
