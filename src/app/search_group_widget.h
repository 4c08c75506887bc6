#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace holvex {

// "   Search network   ": the primary address range, the secondary address with wildcards, the response
// timeout and the buttons that start the searches.
class SearchGroupWidget : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kMinTimeout = 300;
    static constexpr int kMaxTimeout = 30000;
    static constexpr int kTimeoutStep = 10;

    explicit SearchGroupWidget(QWidget* parent = nullptr);

    int searchFrom() const;
    int searchTo() const;
    void setSearchRange(int from, int to);
    int responseTimeout() const;
    void setResponseTimeout(int milliseconds);
    QString secondaryAddress() const;

    QSpinBox* fromField() const { return m_from; }
    QSpinBox* toField() const { return m_to; }
    QSpinBox* timeoutField() const { return m_timeout; }
    QLineEdit* secondaryField() const { return m_secondary; }
    QPushButton* findPrimaryButton() const { return m_findPrimary; }
    QPushButton* findIdButton() const { return m_findId; }
    QPushButton* findAllButton() const { return m_findAll; }
    QPushButton* stopSecondaryButton() const { return m_stopSecondary; }

signals:
    // Typed or spun; every reply timer follows it.
    void responseTimeoutChanged(int milliseconds);

private:
    QSpinBox* m_from = nullptr;
    QSpinBox* m_to = nullptr;
    QSpinBox* m_timeout = nullptr;
    QLineEdit* m_secondary = nullptr;
    QPushButton* m_findPrimary = nullptr;
    QPushButton* m_findId = nullptr;
    QPushButton* m_findAll = nullptr;
    QPushButton* m_stopSecondary = nullptr;
};

} // namespace holvex
