#include "app/command_line_widget.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace holvex {

CommandLineWidget::CommandLineWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CommandLine"));
    m_label = new QLabel(QStringLiteral("Send custom command:"), this);
    m_label->setObjectName(QStringLiteral("Label_command"));
    m_command = new QLineEdit(this);
    m_command->setObjectName(QStringLiteral("Edit_command"));
    m_command->setMaxLength(kMaxCommandLength);
    m_ascii = new QCheckBox(QStringLiteral("ASCII"), this);
    m_ascii->setObjectName(QStringLiteral("Check_ascii"));
    m_hex = new QCheckBox(QStringLiteral("Hex"), this);
    m_hex->setObjectName(QStringLiteral("Check_hex"));
    m_send = new QPushButton(QStringLiteral("Send"), this);
    m_send->setObjectName(QStringLiteral("Butt_command_send"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_command, 1);
    layout->addWidget(m_ascii);
    layout->addWidget(m_hex);
    layout->addWidget(m_send);

    setHexMode();
    connect(m_ascii, &QCheckBox::toggled, this, [this](bool ticked) { keepExclusive(m_ascii, ticked); });
    connect(m_hex, &QCheckBox::toggled, this, [this](bool ticked) { keepExclusive(m_hex, ticked); });
    connect(m_send, &QPushButton::clicked, this, &CommandLineWidget::sendRequested);
}

QString CommandLineWidget::command() const {
    return m_command->text();
}

bool CommandLineWidget::hexMode() const {
    return m_hex->isChecked();
}

void CommandLineWidget::setHexMode() {
    m_hex->setChecked(true);
    m_ascii->setChecked(false);
}

void CommandLineWidget::setAsciiMode() {
    m_ascii->setChecked(true);
    m_hex->setChecked(false);
}

void CommandLineWidget::keepExclusive(QCheckBox* changed, bool ticked) {
    QCheckBox* other = changed == m_ascii ? m_hex : m_ascii;
    const QSignalBlocker blocker(other);
    other->setChecked(!ticked);
}

} // namespace holvex
