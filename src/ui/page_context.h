#pragma once

#include <QWidget>

#include <functional>

namespace holvex {

class CaptionTable;
class LogSink;
class MessageLanguage;
struct RunState;
struct Settings;

// What a page of the main window shares with it: the live settings, the run state, the event log, the ticked
// language and the caption table that every language switch applies. The window hands one to each page; a
// page never reaches for the window itself.
struct PageContext {
    Settings& settings;
    RunState& run;
    LogSink& log;
    const MessageLanguage& language;
    CaptionTable& captions;
    // Controls that only users with the device-settings right may use; the window enables them by the
    // logged-in user's rights.
    std::function<void(QWidget*)> registerDeviceSettingControl;
};

} // namespace holvex
