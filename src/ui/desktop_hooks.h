#pragma once

#include <QString>

class QWidget;

namespace holvex {

enum class YesNoCancel { Yes, No, Cancel };

// Message boxes and the desktop viewer, behind one replaceable object so that tests answer them without
// blocking or launching anything.
class DesktopHooks {
public:
    virtual ~DesktopHooks() = default;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text);
    // Yes/No question with the warning icon; true for Yes.
    virtual bool askYesNoWarning(QWidget* parent, const QString& title, const QString& text);
    // Yes/No/Cancel question with the warning icon.
    virtual YesNoCancel askYesNoCancel(QWidget* parent, const QString& title, const QString& text);
    virtual void warn(QWidget* parent, const QString& title, const QString& text);
    // Opens a file with the desktop's default viewer.
    virtual void openDocument(const QString& path);

    // The hooks used when none are set.
    static DesktopHooks& defaultHooks();
};

} // namespace holvex
