#pragma once

#include "ui/desktop_hooks.h"

namespace holvex::test {

// Answers every Yes/No/Cancel box with one fixed answer, every Yes/No box with No, and shows or opens
// nothing, so that a window test never stops at a message box.
class FixedAnswerHooks : public DesktopHooks {
public:
    explicit FixedAnswerHooks(YesNoCancel answer) : m_answer(answer) {}
    YesNoCancel askYesNoCancel(QWidget*, const QString&, const QString&) override { return m_answer; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    bool askYesNoWarning(QWidget*, const QString&, const QString&) override { return false; }
    void warn(QWidget*, const QString&, const QString&) override {}
    void openDocument(const QString&) override {}

private:
    YesNoCancel m_answer;
};

} // namespace holvex::test
