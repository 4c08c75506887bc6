#include "settings/settings_dialog.h"

#include "bus/run_state.h"
#include "lang/message_language.h"
#include "settings/communication_page.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"
#include "settings/titles_page.h"
#include "ui/dialog_accessibility.h"

#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace holvex {

SettingsDialog::SettingsDialog(Settings& settings, RunState& state, const MessageLanguage& language,
                               QWidget* parent)
    : QDialog(parent), m_settings(settings), m_state(state), m_language(language) {
    setWindowTitle(QStringLiteral("Holvex -> Settings"));
    warn = [](QWidget* owner, const QString& title, const QString& text) {
        QMessageBox::warning(owner, title, text);
    };

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Tab_pages"));
    m_communication = new CommunicationPage(m_settings, m_pages);
    m_communication->setObjectName(QStringLiteral("Page_communication"));
    m_titles = new TitlesPage(m_settings, m_pages);
    m_titles->setObjectName(QStringLiteral("Page_titles"));
    m_pages->addTab(m_communication, QStringLiteral("   Communication settings   "));
    m_pages->addTab(m_titles, QStringLiteral("   Additional m-bus information   "));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    connect(m_communication->applyButton(), &QPushButton::clicked, this, &SettingsDialog::applyCommunication);
    connect(m_communication->cancelButton(), &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(m_titles->applyButton(), &QPushButton::clicked, this, &SettingsDialog::applyTitles);
    connect(m_titles->closeButton(), &QPushButton::clicked, this, &SettingsDialog::reject);

    loadFromFile();
    nameControlsForAssistiveTechnology(this);
}

void SettingsDialog::loadFromFile() {
    const Settings stored = loadSettingsFile(ProgramHome::settingsFilePath());
    m_communication->load(m_unsavedCommunication ? *m_unsavedCommunication : stored);
    m_titles->load(m_unsavedTitles ? *m_unsavedTitles : stored);
    m_communication->applyLanguage(m_language);
}

void SettingsDialog::activate() {
    loadFromFile();
    // The caption given at creation gives way to the short one at the first activation.
    setWindowTitle(m_language.pick(QStringLiteral("Settings"), QStringLiteral("Impostazioni")));
}

bool SettingsDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && isVisible()) {
        activate();
    }
    return QDialog::event(event);
}

void SettingsDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        activate();
    }
    QDialog::showEvent(event);
}

void SettingsDialog::warnNotSaved() {
    if (warn) {
        warn(this, QStringLiteral("Saving settings"),
             QStringLiteral("Settings will not be saved, no write permission"));
    }
}

void SettingsDialog::applyCommunication() {
    if (saveCommunicationKeys(ProgramHome::settingsFilePath(), m_settings)) {
        m_unsavedCommunication.reset();
    } else {
        m_unsavedCommunication = m_settings;
        warnNotSaved();
    }
    if (m_settings.UseEthernet) {
        // The server socket reopens on the port now set when the main window is next activated.
        m_state.GatewayCalledIn = false;
        if (m_state.ServerListening) {
            emit serverSocketCloseRequested();
            m_state.ServerListening = false;
        }
    }
    emit communicationApplied();
    accept();
}

void SettingsDialog::applyTitles() {
    if (saveTitleKeys(ProgramHome::settingsFilePath(), m_settings)) {
        m_unsavedTitles.reset();
    } else {
        m_unsavedTitles = m_settings;
        warnNotSaved();
    }
    m_state.ExtraTitleCount = m_settings.TitleCount;
    m_state.ExtraTitles = QStringList(RunState::kMaxExtraTitles, QString());
    for (int i = 0; i < RunState::kMaxExtraTitles && i < m_settings.Titles.size(); ++i) {
        m_state.ExtraTitles[i] = m_settings.Titles.at(i).left(RunState::kExtraTitleLength);
    }
    emit titlesApplied();
    accept();
}

void SettingsDialog::setSerialFieldsEnabled(bool enabled) {
    m_communication->setSerialFieldsEnabled(enabled);
}

void SettingsDialog::setPortCaption(const QString& caption) {
    m_communication->setPortCaption(caption);
}

} // namespace holvex
