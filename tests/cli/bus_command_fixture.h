#pragma once

#include "sim/sim_thread.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace holvex::cli::test {

// The lines of a command's output, without the empty piece after the last line break.
inline QList<QByteArray> outputLines(const QByteArray& out) {
    QList<QByteArray> lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// Three meters at 1, 2 and 4; 3 and 5 stay silent.
inline const QByteArray kThreeMeters = R"({
  "turnaroundMs": 5,
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 1, "medium": "water",
     "records": [{"type": "volume", "value": 123.456}]},
    {"address": 2, "id": "21034502", "manufacturer": "SEN", "version": 1, "medium": "water",
     "records": [{"type": "volume", "value": 7.5}]},
    {"address": 4, "id": "21034504", "manufacturer": "SEN", "version": 1, "medium": "heat",
     "records": [{"type": "energy", "value": 4321}]}
  ]
})";

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline QString cliPath() {
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../holvex-cli"))
        .absoluteFilePath();
}

// A simulated installation behind a LAN adapter port and a program folder whose settings file uses "," as
// the file's decimal separator.
class BusCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(cliPath())) {
            GTEST_SKIP() << "holvex-cli is not built next to the tests";
        }
        QString error;
        ASSERT_TRUE(m_sim.start(kThreeMeters, &error)) << error.toStdString();
        const std::optional<quint16> port = m_sim.addLan(0);
        ASSERT_TRUE(port.has_value());
        m_lan = QStringLiteral("127.0.0.1:%1").arg(*port);
        ASSERT_TRUE(m_home.isValid());
        writeSettings("[Misc]\r\nExportSeparator=;\r\nDecSeparator=,\r\nRetry=0\r\n");
    }

    // Runs a bus command against the simulator with the short timeout.
    RunResult runCli(const QStringList& arguments) {
        return runRaw(arguments + QStringList{QStringLiteral("--home"), m_home.path(),
                                              QStringLiteral("--lan"), m_lan, QStringLiteral("--timeout"),
                                              QStringLiteral("300")});
    }

    static RunResult runRaw(const QStringList& arguments) {
        QProcess process;
        process.start(cliPath(), arguments);
        RunResult result;
        if (!process.waitForStarted(10000)) {
            return result;
        }
        process.closeWriteChannel();
        process.waitForFinished(30000);
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    QString homePath() const { return m_home.path(); }
    sim::SimThread& sim() { return m_sim; }

    // Replaces the program folder's settings file.
    void writeSettings(const QByteArray& ini) {
        QFile file(m_home.filePath(QStringLiteral("holvex.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini);
    }

private:
    sim::SimThread m_sim;
    QTemporaryDir m_home;
    QString m_lan;
};

} // namespace holvex::cli::test
