#include "devices/display/display_lines.h"

#include "devices/display/display_columns.h"
#include "devices/gateway/command_line_text.h"

namespace holvex::display {

namespace {

const QString kOne = QStringLiteral("1");
const QString kZero = QStringLiteral("0");

QString cellAt(const QStringList& cells, int column) {
    return column < cells.size() ? cells[column] : QString();
}

DisplayRowLine sent(const QString& line, const QString& logText, const QString& address) {
    DisplayRowLine row;
    row.line = gateway::commandBytes(line);
    row.logText = logText + address + QStringLiteral("...");
    return row;
}

DisplayRowLine skipped(const QString& what, const QString& address) {
    DisplayRowLine row;
    row.checks.append(QStringLiteral("Skipping %1 of device %2...wrong").arg(what, address));
    return row;
}

// A multiplier or divider part: empty gives 0, more than four characters are refused.
DisplayRowLine multDivLine(const QString& key, const QString& part, const QString& what,
                           const QString& logText, const QString& address) {
    const QString value = part.isEmpty() ? kZero : part;
    if (value.size() > kDisplayNumberLength) {
        return skipped(what, address);
    }
    return sent(QStringLiteral("SET %1=%2,%3").arg(key, address, value), logText, address);
}

DisplayRowLine initialValueLine(const QString& cell, const QString& address) {
    QString value = cell.isEmpty() ? kZero : cell;
    QStringList checks;
    if (value.count(u',') > 1) {
        value = kZero;
        checks.append(QStringLiteral("Error in initial value of device %1, setting to 0").arg(address));
    } else {
        value.replace(u',', u'.');
    }
    DisplayRowLine row = sent(QStringLiteral("SET INIT=%1,%2").arg(address, value),
                              QStringLiteral("Setting initial value of device "), address);
    row.checks = checks;
    return row;
}

DisplayRowLine freeTextLine(const QString& key, const QString& cell, const QString& logText,
                            const QString& address) {
    const QString text = cell.isEmpty() ? QStringLiteral(" ") : cell.left(kDisplayFreeTextLength);
    return sent(QStringLiteral("SET %1=%2,%3").arg(key, address, text), logText, address);
}

} // namespace

DisplayAddress checkDisplayAddress(const QString& cell, int row) {
    DisplayAddress address;
    address.text = cell;
    const QString error = QStringLiteral("Error in device address at row %1").arg(row);
    if (cell.isEmpty()) {
        address.logLine = error;
        return address;
    }
    int value = 0;
    // A run of digits too long to be read as a number is above 250 as well.
    if (!gateway::parseFieldNumber(cell, value) || value < 1 || value > kDisplayMaxAddress) {
        address.logLine = error + QStringLiteral(", skipping");
        return address;
    }
    address.valid = true;
    return address;
}

MultDiv splitMultDiv(const QString& cell) {
    if (cell.isEmpty()) {
        return {kOne, kOne};
    }
    const qsizetype slash = cell.indexOf(u'/');
    if (slash < 0) {
        return {cell, kOne};
    }
    if (slash == 0) {
        const QString divider = cell.mid(1);
        return {kOne, divider.isEmpty() ? kOne : divider};
    }
    if (cell.endsWith(u'/')) {
        return {cell.left(cell.size() - 1), kOne};
    }
    return {cell.left(slash), cell.mid(slash + 1)};
}

std::optional<QString> displayUnitCode(const QString& unit) {
    if (unit.isEmpty()) {
        return QString();
    }
    if (unit == QStringLiteral("m3") || unit == QStringLiteral("m3 ")) {
        return QStringLiteral("2");
    }
    if (unit == QStringLiteral("kWh")) {
        return QStringLiteral("1");
    }
    if (unit == QStringLiteral("kJ")) {
        return QStringLiteral("3");
    }
    if (unit == QStringLiteral("MJ")) {
        return QStringLiteral("4");
    }
    return std::nullopt;
}

DisplayRowLine displayRowLine(DisplayOption option, const QString& address, const QStringList& cells) {
    switch (option) {
    case DisplayOption::Activate:
        return sent(QStringLiteral("SET ENTR=") + address, QStringLiteral("Activating device "), address);
    case DisplayOption::Units: {
        const std::optional<QString> code = displayUnitCode(cellAt(cells, kDisplayUnitColumn));
        if (!code) {
            return skipped(QStringLiteral("unit"), address);
        }
        return sent(QStringLiteral("SET UNIT=%1,%2").arg(address, *code),
                    QStringLiteral("Setting unit of device "), address);
    }
    case DisplayOption::Multiplier:
        return multDivLine(
            QStringLiteral("CONM"), splitMultDiv(cellAt(cells, kDisplayMultDivColumn)).multiplier,
            QStringLiteral("multiplier"), QStringLiteral("Setting multiplier of device "), address);
    case DisplayOption::Divider:
        return multDivLine(QStringLiteral("COND"), splitMultDiv(cellAt(cells, kDisplayMultDivColumn)).divider,
                           QStringLiteral("divider"), QStringLiteral("Setting divider of device "), address);
    case DisplayOption::InitialValue:
        return initialValueLine(cellAt(cells, kDisplayStartColumn), address);
    case DisplayOption::UserNumber: {
        const QString number = cellAt(cells, kDisplayUserNumberColumn);
        if (number.isEmpty() || number.size() > kDisplayNumberLength) {
            return skipped(QStringLiteral("user number"), address);
        }
        return sent(QStringLiteral("SET NUMB=%1,%2").arg(address, number),
                    QStringLiteral("Setting user number of device "), address);
    }
    case DisplayOption::FreeText:
        return freeTextLine(QStringLiteral("TEXT"), cellAt(cells, kDisplayFreeTextColumn),
                            QStringLiteral("Setting free text of device "), address);
    case DisplayOption::FreeText2:
        return freeTextLine(QStringLiteral("TEX2"), cellAt(cells, kDisplayFreeText2Column),
                            QStringLiteral("Setting free text second row of device "), address);
    case DisplayOption::Delete:
        return sent(QStringLiteral("DEL ENTR=") + address, QStringLiteral("Deleting device "), address);
    case DisplayOption::ZeroInitials:
        break;
    }
    return sent(QStringLiteral("SET DELP=%1,0").arg(address),
                QStringLiteral("Zeroing initial value of device "), address);
}

bool isActivationAnswer(const QByteArray& answer) {
    return answer.contains("Active") || answer.contains("Already");
}

} // namespace holvex::display
