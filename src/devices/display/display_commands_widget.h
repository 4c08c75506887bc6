#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QSpinBox;

namespace holvex {
class CaptionTable;
}

namespace holvex::display {

// The display unit's one-shot controls on page 3: "Date", "Time", the hidden "Lock", the refresh time box
// (4..12 s, default 4) with "Set refresh time", "Create sort table", "Sort" and its two exclusive boxes "by
// address" / "by user numb." (ticking one clears the other, clearing one ticks the other). The buttons only
// announce their press; whoever sends reads the inputs here.
class DisplayCommandsWidget : public QWidget {
    Q_OBJECT

public:
    explicit DisplayCommandsWidget(QWidget* parent = nullptr);

    static void addCaptions(CaptionTable& captions);

    QPushButton* dateButton() const { return m_date; }
    QPushButton* timeButton() const { return m_time; }
    QPushButton* lockButton() const { return m_lock; }
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* sortTableButton() const { return m_sortTable; }
    QPushButton* sortButton() const { return m_sort; }
    QSpinBox* refreshBox() const { return m_refreshBox; }
    QCheckBox* byAddressBox() const { return m_byAddress; }
    QCheckBox* byUserNumberBox() const { return m_byUserNumber; }

    QString refreshText() const;
    bool sortByAddress() const;
    bool sortByUserNumber() const;
    // After "Create sort table" the unit sorts by user number: that box is ticked.
    void tickSortByUserNumber();

    // A table write disables every one-shot button while it runs.
    void setButtonsEnabled(bool enabled);

signals:
    void dateRequested();
    void timeRequested();
    void lockRequested();
    void refreshRequested();
    void sortTableRequested();
    void sortRequested();

private:
    void Check_by_addressClick(bool ticked);
    void Check_by_user_numberClick(bool ticked);

    QPushButton* m_date = nullptr;
    QPushButton* m_time = nullptr;
    QPushButton* m_lock = nullptr;
    QGroupBox* m_refreshGroup = nullptr;
    QSpinBox* m_refreshBox = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_sortTable = nullptr;
    QPushButton* m_sort = nullptr;
    QCheckBox* m_byAddress = nullptr;
    QCheckBox* m_byUserNumber = nullptr;
};

} // namespace holvex::display
