#pragma once

#include "log/status_sink.h"

#include <QStatusBar>

class QLabel;

namespace holvex {

// The main window's status bar: three panels 150, 400 and 50 pixels wide; only the first is written.
class StatusBarWidget : public QStatusBar, public StatusSink {
    Q_OBJECT
public:
    static constexpr int kPanelWidths[3] = {150, 400, 50};

    explicit StatusBarWidget(QWidget* parent = nullptr);

    void showPortState(const QString& text) override;
    QString panelText(int index) const;
    QLabel* panel(int index) const;

private:
    QLabel* m_panels[3] = {nullptr, nullptr, nullptr};
};

} // namespace holvex
