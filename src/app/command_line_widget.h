#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace holvex {

// "Send custom command:" with its "ASCII" / "Hex" mode boxes (always exactly one ticked) and "Send".
class CommandLineWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxCommandLength = 250;

    explicit CommandLineWidget(QWidget* parent = nullptr);

    QString command() const;
    bool hexMode() const;
    void setHexMode();
    void setAsciiMode();

    QLineEdit* commandField() const { return m_command; }
    QCheckBox* asciiBox() const { return m_ascii; }
    QCheckBox* hexBox() const { return m_hex; }
    QPushButton* sendButton() const { return m_send; }

signals:
    void sendRequested();

private:
    // Ticking one box unticks the other; unticking one ticks the other.
    void keepExclusive(QCheckBox* changed, bool ticked);

    QLabel* m_label = nullptr;
    QLineEdit* m_command = nullptr;
    QCheckBox* m_ascii = nullptr;
    QCheckBox* m_hex = nullptr;
    QPushButton* m_send = nullptr;
};

} // namespace holvex
