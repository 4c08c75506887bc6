#include "app/search_group_widget.h"

#include "settings/key_filter_widget.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace holvex {

namespace {
QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// An edit box with spin buttons; only `filter` characters can be typed and at most `digits` of them.
QSpinBox* makeSpin(const QString& name, int minimum, int maximum, int step, int digits, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(minimum, maximum);
    spin->setSingleStep(step);
    spin->setAccelerated(true);
    KeyFilter::install(spin, KeyFilter::digits());
    if (auto* edit = spin->findChild<QLineEdit*>()) {
        edit->setMaxLength(digits);
        KeyFilter::install(edit, KeyFilter::digits());
    }
    // Wide enough for every digit it takes plus the spin buttons.
    spin->setMinimumWidth(spin->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 32);
    return spin;
}
} // namespace

SearchGroupWidget::SearchGroupWidget(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("Group_search"));
    setTitle(QStringLiteral("   Search network   "));

    m_from = makeSpin(QStringLiteral("Edit_search_from"), 0, 255, 1, 3, this);
    m_to = makeSpin(QStringLiteral("Edit_search_to"), 0, 255, 1, 3, this);
    m_timeout = makeSpin(QStringLiteral("Edit_timeout"), kMinTimeout, kMaxTimeout, kTimeoutStep, 5, this);
    m_timeout->setValue(500);

    m_secondary = new QLineEdit(this);
    m_secondary->setObjectName(QStringLiteral("Edit_id"));
    m_secondary->setMaxLength(8);
    KeyFilter::install(m_secondary, KeyFilter::digitsAndF());
    m_secondary->setMinimumWidth(m_secondary->fontMetrics().horizontalAdvance(QStringLiteral("FFFFFFFF")) +
                                 16);

    m_findPrimary = makeButton(QStringLiteral("Butt_find_primary"), QStringLiteral("Find"), this);
    m_findId = makeButton(QStringLiteral("Butt_find_id"), QStringLiteral("Find"), this);
    m_findAll = makeButton(QStringLiteral("Butt_find_all"), QStringLiteral("Find all"), this);
    m_stopSecondary =
        makeButton(QStringLiteral("Butt_stop_secondary"), QStringLiteral("Stop secondary search"), this);
    m_stopSecondary->setVisible(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(makeLabel(QStringLiteral("Label_primary"), QStringLiteral("By Primary address: "), this),
                    0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("Label_to"), QStringLiteral("to"), this), 0, 2, Qt::AlignCenter);
    grid->addWidget(m_to, 0, 3);
    grid->addWidget(m_findPrimary, 0, 4);
    grid->addWidget(makeLabel(QStringLiteral("Label_timeout"), QStringLiteral("Resp. timeout"), this), 0, 6);
    grid->addWidget(m_timeout, 0, 7);
    grid->addWidget(makeLabel(QStringLiteral("Label_ms"), QStringLiteral("ms"), this), 0, 8);

    grid->addWidget(
        makeLabel(QStringLiteral("Label_secondary"), QStringLiteral("By Secondary address: "), this), 1, 0);
    grid->addWidget(m_secondary, 1, 1, 1, 3);
    grid->addWidget(m_findId, 1, 4);
    grid->addWidget(m_findAll, 1, 6, 1, 2);
    grid->addWidget(m_stopSecondary, 1, 8, 1, 2);
    grid->setColumnStretch(5, 1);
    grid->setColumnStretch(9, 2);

    connect(m_timeout, &QSpinBox::valueChanged, this, &SearchGroupWidget::responseTimeoutChanged);
}

int SearchGroupWidget::searchFrom() const {
    return m_from->value();
}

int SearchGroupWidget::searchTo() const {
    return m_to->value();
}

void SearchGroupWidget::setSearchRange(int from, int to) {
    m_from->setValue(from);
    m_to->setValue(to);
}

int SearchGroupWidget::responseTimeout() const {
    return m_timeout->value();
}

void SearchGroupWidget::setResponseTimeout(int milliseconds) {
    m_timeout->setValue(milliseconds);
}

QString SearchGroupWidget::secondaryAddress() const {
    return m_secondary->text();
}

} // namespace holvex
