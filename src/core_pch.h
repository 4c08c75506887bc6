// Qt headers nearly every source file includes, compiled once per build and shared by the core libraries.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
