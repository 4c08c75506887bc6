#include "settings/titles_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace holvex {

TitlesPage::TitlesPage(Settings& settings, QWidget* parent) : QWidget(parent), m_settings(settings) {
    auto* layout = new QVBoxLayout(this);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Additional values"), this));
    countRow->addWidget(new QLabel(QStringLiteral("to show:"), this));
    m_count = new QSpinBox(this);
    m_count->setAccessibleName(QStringLiteral("Additional values to show"));
    m_count->setObjectName(QStringLiteral("UD_title_count"));
    m_count->setRange(0, Settings::kMaxTitles);
    countRow->addWidget(m_count);
    countRow->addStretch(1);
    layout->addLayout(countRow);

    // Three columns of five titles, each column a block of its own so that Tab goes down a column first.
    auto* columns = new QHBoxLayout;
    constexpr int kRowsPerColumn = 5;
    QGridLayout* column = nullptr;
    for (int i = 0; i < Settings::kMaxTitles; ++i) {
        if (i % kRowsPerColumn == 0) {
            auto* block = new QWidget(this);
            column = new QGridLayout(block);
            column->setContentsMargins(0, 0, 0, 0);
            columns->addWidget(block);
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit_title%1").arg(i + 1));
        edit->setMaxLength(Settings::kTitleLength);
        connect(edit, &QLineEdit::textChanged, this, [this, i](const QString& text) {
            if (i < m_settings.Titles.size()) {
                m_settings.Titles[i] = text;
            }
        });
        auto* label = new QLabel(QStringLiteral("Title %1").arg(i + 1), this);
        label->setBuddy(edit);
        column->addWidget(label, i % kRowsPerColumn, 0);
        column->addWidget(edit, i % kRowsPerColumn, 1);
        m_titles.append(edit);
    }
    layout->addLayout(columns);
    layout->addStretch(1);

    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setObjectName(QStringLiteral("Butt_apply_titles"));

    m_apply->setAutoDefault(false); // Enter in a field must not apply
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("Butt_close"));
    m_close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);

    connect(m_count, &QSpinBox::valueChanged, this, &TitlesPage::onCountChanged);
    const Settings current = m_settings;
    load(current);
}

void TitlesPage::onCountChanged(int count) {
    m_settings.TitleCount = count;
    updateEnabledTitles();
}

void TitlesPage::updateEnabledTitles() {
    for (int i = 0; i < m_titles.size(); ++i) {
        m_titles.at(i)->setEnabled(i < m_count->value());
    }
}

void TitlesPage::load(const Settings& stored) {
    m_count->setValue(stored.TitleCount);
    // The settings may come from elsewhere with a short list: keep fifteen slots.
    while (m_settings.Titles.size() < Settings::kMaxTitles) {
        m_settings.Titles.append(QString());
    }
    for (int i = 0; i < m_titles.size(); ++i) {
        m_titles.at(i)->setText(i < stored.Titles.size() ? stored.Titles.at(i) : QString());
        m_settings.Titles[i] = m_titles.at(i)->text();
    }
    m_settings.TitleCount = m_count->value();
    updateEnabledTitles();
}

} // namespace holvex
