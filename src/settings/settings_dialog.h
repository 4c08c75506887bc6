#pragma once

#include "settings/settings.h"

#include <QDialog>

#include <functional>
#include <optional>

class QTabWidget;

namespace holvex {

class CommunicationPage;
class MessageLanguage;
class TitlesPage;
struct RunState;

// The settings window. Its controls are the live settings: every change is written into the Settings object
// at once, saved or not. Each time the window is shown or activated it reloads every control from the
// settings file, so changes that were not applied are dropped; values that could not be saved (no write
// permission) stay in force for the rest of the run instead.
//
// Object names: Tab_pages, Page_communication, Page_titles; the controls are listed in CommunicationPage and
// TitlesPage.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(Settings& settings, RunState& state, const MessageLanguage& language,
                   QWidget* parent = nullptr);

    // Fills every control from the settings file (defaults for missing keys) and sets the captions in the
    // ticked language. Showing or activating the window does this and also replaces the window title
    // "Holvex -> Settings" by "Settings" or "Impostazioni".
    void loadFromFile();

    // The serial port's state: its three fields are locked while it is open, the hidden port button names
    // what a press would do.
    void setSerialFieldsEnabled(bool enabled);
    void setPortCaption(const QString& caption);
    CommunicationPage* communicationPage() const { return m_communication; }

    // Shows the "Saving settings" warning; tests replace it to avoid a modal box.
    std::function<void(QWidget* parent, const QString& title, const QString& text)> warn;

signals:
    void communicationApplied();       // after page-1 "Apply" wrote (or failed to write) the file
    void titlesApplied();              // after page-2 "Apply" copied the titles into the run state
    void serverSocketCloseRequested(); // page-1 "Apply" with gateways as clients while the server listens

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyCommunication();
    void applyTitles();
    void activate();
    void warnNotSaved();

    Settings& m_settings;
    RunState& m_state;
    const MessageLanguage& m_language;
    QTabWidget* m_pages = nullptr;
    CommunicationPage* m_communication = nullptr;
    TitlesPage* m_titles = nullptr;

    // What the last failed "Apply" of each page could not write; reloading uses it instead of the file.
    std::optional<Settings> m_unsavedCommunication;
    std::optional<Settings> m_unsavedTitles;
};

} // namespace holvex
