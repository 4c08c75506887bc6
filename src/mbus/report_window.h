#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace holvex {

// "Detailed m-bus report": the readable decode of the telegrams asked for with a full read. It stays on top,
// has no close box and is left with "Close"; its contents stay until "Clear".
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);

    void appendReportLine(const QString& line);
    QString reportText() const;
    void clearReport();
    // Shows the window centred on another window.
    void showCentredOn(const QWidget* other);

    QPlainTextEdit* reportPane() const { return m_report; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* closeButton() const { return m_close; }

private:
    QPlainTextEdit* m_report = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace holvex
