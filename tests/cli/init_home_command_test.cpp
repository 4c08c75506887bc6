#include "bus_command_fixture.h"

#include "accounts/account_file.h"

#include <QProcessEnvironment>

namespace holvex::cli::test {
namespace {

RunResult runInitHome(const QStringList& arguments, const QString& homeVariable) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOLVEX_HOME"), homeVariable);
    process.setProcessEnvironment(environment);
    process.start(cliPath(), QStringList{QStringLiteral("init-home")} + arguments);
    RunResult result;
    if (!process.waitForStarted(10000)) {
        return result;
    }
    process.waitForFinished(30000);
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// The folder named, else the one the program itself would use; a private account file; what is there stays.
TEST(InitHomeCommand, MakesTheHomeFolderTheProgramWouldUse) {
    if (!QFileInfo::exists(cliPath())) {
        GTEST_SKIP() << "holvex-cli is not built next to the tests";
    }
    QTemporaryDir dir;
    const QString fromVariable = dir.filePath(QStringLiteral("from-variable"));
    RunResult result = runInitHome({}, fromVariable);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.trimmed(), fromVariable.toUtf8());
    const QString accounts = fromVariable + QStringLiteral("/files/users.dat");
    EXPECT_TRUE(QFileInfo::exists(fromVariable + QStringLiteral("/holvex.ini")));
    EXPECT_EQ(AccountFile(accounts).login(QStringLiteral("admin"), QStringLiteral("admin")).status,
              LoginStatus::Granted);
    EXPECT_FALSE(accountFileReadableByOthers(accounts));

    const QString named = dir.filePath(QStringLiteral("named"));
    QDir().mkpath(named);
    QFile ini(named + QStringLiteral("/holvex.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Misc]\r\nLanguage=2\r\n");
    ini.close();
    result = runInitHome({named}, fromVariable);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), QByteArray("[Misc]\r\nLanguage=2\r\n"));
    EXPECT_TRUE(QFileInfo::exists(named + QStringLiteral("/files/users.dat")));

    EXPECT_EQ(runInitHome({named, named}, fromVariable).exitCode, 2);
}

} // namespace
} // namespace holvex::cli::test
