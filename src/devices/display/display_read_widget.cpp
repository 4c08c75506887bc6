#include "devices/display/display_read_widget.h"

#include "lang/caption_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace holvex::display {

namespace {

QPushButton* makeButton(const char* name, const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QCheckBox* makeBox(const char* name, const char* text, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// The info choices in the order of DisplayInfo.
constexpr const char* kInfoChoices[] = {"Get main info",    "Get service info", "Get addresses",
                                        "Get Entry info 1", "Get Entry info 2", "Get Entry info 3"};

// Checking one box clears the other.
void makeExclusive(QCheckBox* one, QCheckBox* other) {
    QObject::connect(one, &QCheckBox::toggled, other, [other](bool ticked) {
        if (ticked) {
            const QSignalBlocker blocker(other);
            other->setChecked(false);
        }
    });
}

} // namespace

DisplayReadWidget::DisplayReadWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel_lumet_read"));
    m_readData = makeButton("Butt_lumet_read_data", "Read Data ", this);
    m_readValues = makeButton("Butt_lumet_read_values", "Read values", this);
    m_main = makeBox("Check_lumet_main", "Main", this);
    m_tariff = makeBox("Check_lumet_tarriff", "Tarriff", this);
    makeExclusive(m_main, m_tariff);
    makeExclusive(m_tariff, m_main);

    m_infoGroup = new QGroupBox(QStringLiteral("   General info   "), this);
    m_infoGroup->setObjectName(QStringLiteral("Group_lumet_info"));
    m_infoChoice = new QComboBox(m_infoGroup);
    m_infoChoice->setObjectName(QStringLiteral("Combo_lumet_info"));
    for (const char* choice : kInfoChoices) {
        m_infoChoice->addItem(QString::fromLatin1(choice));
    }
    m_info = makeButton("Butt_lumet_info", "Get info", m_infoGroup);
    auto* infoRow = new QHBoxLayout(m_infoGroup);
    infoRow->addWidget(m_infoChoice, 1);
    infoRow->addWidget(m_info);

    auto* values = new QHBoxLayout;
    values->addWidget(m_readValues);
    values->addWidget(m_main);
    values->addWidget(m_tariff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_readData);
    layout->addLayout(values);
    layout->addWidget(m_infoGroup);

    connect(m_readData, &QPushButton::clicked, this, &DisplayReadWidget::readDataRequested);
    connect(m_readValues, &QPushButton::clicked, this, &DisplayReadWidget::readValuesRequested);
    connect(m_info, &QPushButton::clicked, this, &DisplayReadWidget::infoRequested);
}

void DisplayReadWidget::addCaptions(CaptionTable& captions) {
    captions.add(QStringLiteral("Butt_lumet_read_data"), QStringLiteral("Read Data "),
                 QStringLiteral("Leggi dati"));
    captions.add(QStringLiteral("Group_lumet_info"), QStringLiteral("   General info   "),
                 QStringLiteral("   Info generali   "));
    captions.add(QStringLiteral("Butt_lumet_info"), QStringLiteral("Get info"),
                 QStringLiteral("Acquisisci Info"));
}

std::optional<DisplayValues> DisplayReadWidget::values() const {
    if (m_main->isChecked()) {
        return DisplayValues::Main;
    }
    if (m_tariff->isChecked()) {
        return DisplayValues::Tariffs;
    }
    return std::nullopt;
}

DisplayInfo DisplayReadWidget::info() const {
    return static_cast<DisplayInfo>(std::max(0, m_infoChoice->currentIndex()));
}

} // namespace holvex::display
