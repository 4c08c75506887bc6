#include "devices/receiver/programming_lines.h"

namespace holvex::receiver {

namespace {

constexpr int kActivationIdLength = 8;

struct MediumUnit {
    const char* medium;
    int code;
};

constexpr MediumUnit kUnits[] = {
    {"Other", 0},      {"Oil", 1},        {"Electricity", 2}, {"Gas", 3},
    {"Heat", 12},      {"Steam", 5},      {"Hot water", 6},   {"Water", 7},
    {"H.C.A", 8},      {"Compr. air", 9}, {"Cool (out)", 10}, {"Cool (in)", 11},
    {"Heat/Cool", 13}, {"Bus", 14},       {"Unknown", 15},    {"Cold water", 16},
};
constexpr int kUnknownUnitCode = 15;

} // namespace

ProgramAddress programAddress(const QString& addressCell, int rowNumber) {
    const QString prefix =
        QStringLiteral("Error in Primary device address at row ") + QString::number(rowNumber);
    if (addressCell.isEmpty()) {
        return ProgramAddress{std::nullopt, prefix};
    }
    int address = 0;
    if (!addressNumber(addressCell, &address) || address < kMinProgramAddress ||
        address > kMaxProgramAddress) {
        return ProgramAddress{std::nullopt, prefix + QStringLiteral(", skipping")};
    }
    return ProgramAddress{address, {}};
}

std::optional<QString> activationId(const QString& idCell) {
    if (idCell.isEmpty()) {
        return std::nullopt;
    }
    if (idCell.size() >= kActivationIdLength) {
        return idCell.left(kActivationIdLength);
    }
    return idCell.rightJustified(kActivationIdLength, QLatin1Char('0'));
}

QString activationIdCell(const ReceiverRow& row, ActivationIdSource source) {
    return source == ActivationIdSource::AuxId ? row.auxiliaryId : row.id;
}

Activation activationCommand(int address, const QString& idCell, int rowNumber) {
    Activation result;
    const auto id = activationId(idCell);
    if (!id) {
        result.logLine = QStringLiteral("Error in device ID on row ") + QString::number(rowNumber);
        return result;
    }
    result.idWriteBack = *id;
    const QByteArray a = QByteArray::number(address);
    result.command = ReceiverCommand{QByteArrayLiteral("set entr="), a + ',' + id->toLatin1(),
                                     QStringLiteral("Activating device ") + QString::number(address) +
                                         QLatin1Char('/') + *id + QStringLiteral("...")};
    return result;
}

int unitCodeForMedium(const QString& medium) {
    for (const MediumUnit& entry : kUnits) {
        if (medium == QLatin1String(entry.medium)) {
            return entry.code;
        }
    }
    return kUnknownUnitCode;
}

ReceiverCommand unitCommand(int address, const QString& medium) {
    return ReceiverCommand{QByteArrayLiteral("set unit="),
                           QByteArray::number(address) + ',' + QByteArray::number(unitCodeForMedium(medium)),
                           QStringLiteral("Setting unit of device ") + QString::number(address) +
                               QStringLiteral("...")};
}

ReceiverCommand deleteCommand(int address) {
    return ReceiverCommand{QByteArrayLiteral("del entr="), QByteArray::number(address),
                           QStringLiteral("Deleting device ") + QString::number(address) +
                               QStringLiteral("...")};
}

bool activationAccepted(const QByteArray& answer) {
    return answer.contains("Done!") || answer.contains("already");
}

} // namespace holvex::receiver
