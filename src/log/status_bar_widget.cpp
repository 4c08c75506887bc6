#include "log/status_bar_widget.h"

#include <QLabel>

namespace holvex {

StatusBarWidget::StatusBarWidget(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        label->setFixedWidth(kPanelWidths[i]);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        m_panels[i] = label;
        addWidget(label);
    }
}

void StatusBarWidget::showPortState(const QString& text) {
    m_panels[0]->setText(text);
}

QString StatusBarWidget::panelText(int index) const {
    return panel(index) ? panel(index)->text() : QString();
}

QLabel* StatusBarWidget::panel(int index) const {
    return index >= 0 && index < 3 ? m_panels[index] : nullptr;
}

} // namespace holvex
