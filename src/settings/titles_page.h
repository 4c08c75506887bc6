#pragma once

#include "settings/settings.h"

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace holvex {

// The second page of the settings dialog: how many extra values the meter table shows and their column
// titles. Only the first N title fields are enabled, N being the count.
//
// Object names: UD_title_count, Edit_title1 .. Edit_title15, Butt_apply_titles, Butt_close.
class TitlesPage : public QWidget {
    Q_OBJECT
public:
    explicit TitlesPage(Settings& settings, QWidget* parent = nullptr);

    // The count first, then the fifteen titles.
    void load(const Settings& stored);

    QPushButton* applyButton() const { return m_apply; }
    QPushButton* closeButton() const { return m_close; }

private:
    void onCountChanged(int count);
    void updateEnabledTitles();

    Settings& m_settings;
    QSpinBox* m_count = nullptr;
    QList<QLineEdit*> m_titles;
    QPushButton* m_apply = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace holvex
