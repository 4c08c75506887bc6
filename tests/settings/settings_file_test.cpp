#include "settings/settings_file.h"

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace holvex {
namespace {

QString path(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("holvex.ini"));
}

Settings fromText(const QTemporaryDir& dir, const char* text) {
    return loadSettingsFile(test::writeFile(dir, QStringLiteral("holvex.ini"), QByteArray(text)));
}

// Every field of the file, so that a missed key shows up as a difference.
void expectSame(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.PortName, b.PortName);
    EXPECT_EQ(a.Speed, b.Speed);
    EXPECT_EQ(a.Parity, b.Parity);
    EXPECT_EQ(a.Rts, b.Rts);
    EXPECT_EQ(a.Dtr, b.Dtr);
    EXPECT_EQ(a.ExportSeparator, b.ExportSeparator);
    EXPECT_EQ(a.DecSeparator, b.DecSeparator);
    EXPECT_EQ(a.Retry, b.Retry);
    EXPECT_EQ(a.UseEthernet, b.UseEthernet);
    EXPECT_EQ(a.UseLanXp, b.UseLanXp);
    EXPECT_EQ(a.UseFerrinServ, b.UseFerrinServ);
    EXPECT_EQ(a.UseNerit1, b.UseNerit1);
    EXPECT_EQ(a.Use5B, b.Use5B);
    EXPECT_EQ(a.GlobalInit, b.GlobalInit);
    EXPECT_EQ(a.MsbSearch, b.MsbSearch);
    EXPECT_EQ(a.LsbSearch, b.LsbSearch);
    EXPECT_EQ(a.Multitelegram, b.Multitelegram);
    EXPECT_EQ(a.WApator, b.WApator);
    EXPECT_EQ(a.WTechem, b.WTechem);
    EXPECT_EQ(a.Dir, b.Dir);
    EXPECT_EQ(a.Language, b.Language);
    EXPECT_EQ(a.ListenPort, b.ListenPort);
    EXPECT_EQ(a.AutoOpen, b.AutoOpen);
    EXPECT_EQ(a.AutoLumet, b.AutoLumet);
    EXPECT_EQ(a.AutoMbus, b.AutoMbus);
    EXPECT_EQ(a.AutoSec, b.AutoSec);
    EXPECT_EQ(a.KeepAlive, b.KeepAlive);
    EXPECT_EQ(a.TReload, b.TReload);
    EXPECT_EQ(a.RemoteIp, b.RemoteIp);
    EXPECT_EQ(a.RemotePort, b.RemotePort);
    EXPECT_EQ(a.NetNumber, b.NetNumber);
    EXPECT_EQ(a.EthTimeout, b.EthTimeout);
    EXPECT_EQ(a.CloseTcp, b.CloseTcp);
    EXPECT_EQ(a.TitleCount, b.TitleCount);
    EXPECT_EQ(a.Titles, b.Titles);
    EXPECT_EQ(a.SearchFrom, b.SearchFrom);
    EXPECT_EQ(a.SearchTo, b.SearchTo);
    EXPECT_EQ(a.Timeout, b.Timeout);
    EXPECT_EQ(a.FastReply, b.FastReply);
    EXPECT_EQ(a.Ipma, b.Ipma);
    EXPECT_EQ(a.Ipco, b.Ipco);
    EXPECT_EQ(a.Ipo1, b.Ipo1);
}

Settings everyKeyChanged() {
    Settings s;
    s.PortName = QStringLiteral("/dev/ttyUSB0");
    s.Speed = QStringLiteral("2400");
    s.Parity = QStringLiteral("None");
    s.Rts = true;
    s.Dtr = true;
    s.ExportSeparator = QStringLiteral(",");
    s.DecSeparator = QStringLiteral(",");
    s.Retry = 9;
    s.UseEthernet = true;
    s.UseLanXp = true;
    s.UseFerrinServ = true;
    s.UseNerit1 = true;
    s.Use5B = true;
    s.GlobalInit = true;
    s.MsbSearch = false;
    s.LsbSearch = true;
    s.Multitelegram = true;
    s.WApator = true;
    s.WTechem = true;
    s.Dir = QStringLiteral("/home/op/readings");
    s.Language = 2;
    s.ListenPort = QStringLiteral("6000");
    s.AutoOpen = false;
    s.AutoLumet = true;
    s.AutoMbus = true;
    s.AutoSec = true;
    s.KeepAlive = false;
    s.TReload = 7;
    s.RemoteIp = QStringLiteral("10.0.0.254");
    s.RemotePort = QStringLiteral("4001");
    s.NetNumber = QStringLiteral("1.2.3.4");
    s.EthTimeout = 999;
    s.CloseTcp = true;
    s.TitleCount = 15;
    for (int i = 0; i < Settings::kMaxTitles; ++i) {
        s.Titles[i] = QStringLiteral("Value %1").arg(i + 1);
    }
    s.SearchFrom = 250;
    s.SearchTo = 3;
    s.Timeout = 30000;
    s.FastReply = false;
    s.Ipma = QStringLiteral("198.51.100.1");
    s.Ipco = QStringLiteral("198.51.100.2");
    s.Ipo1 = QStringLiteral("198.51.100.3");
    return s;
}

TEST(SettingsFile, MissingFileGivesDefaults) {
    QTemporaryDir dir;
    const Settings s = loadSettingsFile(path(dir));
    expectSame(s, Settings());
    EXPECT_EQ(s.PortName, QStringLiteral("COM1"));
    EXPECT_EQ(s.Timeout, 500);
    EXPECT_TRUE(s.MsbSearch);
    EXPECT_TRUE(s.KeepAlive);
    EXPECT_TRUE(s.FastReply);
    EXPECT_EQ(s.Ipma, QStringLiteral("192.0.2.10"));
}

TEST(SettingsFile, EveryKeyRoundTrips) {
    QTemporaryDir dir;
    const Settings written = everyKeyChanged();
    ASSERT_TRUE(saveAllSettings(path(dir), written));
    expectSame(loadSettingsFile(path(dir)), written);
}

TEST(SettingsFile, EachSaveWritesOnlyItsOwnKeys) {
    QTemporaryDir dir;
    const Settings changed = everyKeyChanged();
    const Settings defaults;

    ASSERT_TRUE(saveCommunicationKeys(path(dir), changed));
    Settings loaded = loadSettingsFile(path(dir));
    EXPECT_EQ(loaded.PortName, changed.PortName);
    EXPECT_EQ(loaded.NetNumber, changed.NetNumber);
    EXPECT_EQ(loaded.Dir, defaults.Dir);
    EXPECT_EQ(loaded.Language, defaults.Language);
    EXPECT_EQ(loaded.TitleCount, defaults.TitleCount);
    EXPECT_EQ(loaded.Timeout, defaults.Timeout);
    EXPECT_EQ(loaded.FastReply, changed.FastReply); // the dialog's, though in [Mbus]

    ASSERT_TRUE(saveTitleKeys(path(dir), changed));
    loaded = loadSettingsFile(path(dir));
    EXPECT_EQ(loaded.TitleCount, 15);
    EXPECT_EQ(loaded.Titles, changed.Titles);
    EXPECT_EQ(loaded.Ipma, defaults.Ipma);

    ASSERT_TRUE(saveMainWindowKeys(path(dir), changed));
    expectSame(loadSettingsFile(path(dir)), changed);
}

TEST(SettingsFile, NamesMatchWithoutRegardToCase) {
    QTemporaryDir dir;
    const Settings s = fromText(dir, "[ETHERNET]\nport=1234\n[lanxp]\nPORT=4001\nip=10.1.1.1\n"
                                     "[misc]\nuselanxp=1\nRETRY=4\n");
    EXPECT_EQ(s.ListenPort, QStringLiteral("1234"));
    EXPECT_EQ(s.RemotePort, QStringLiteral("4001"));
    EXPECT_EQ(s.RemoteIp, QStringLiteral("10.1.1.1"));
    EXPECT_TRUE(s.UseLanXp);
    EXPECT_EQ(s.Retry, 4);
}

TEST(SettingsFile, WritingUpdatesTheExistingSpellingInsteadOfAddingAKey) {
    QTemporaryDir dir;
    test::writeFile(dir, QStringLiteral("holvex.ini"), QByteArray("[ethernet]\nport=1234\n"));
    Settings s;
    s.ListenPort = QStringLiteral("6000");
    ASSERT_TRUE(saveCommunicationKeys(path(dir), s));
    const QByteArray text = test::readFile(path(dir));
    EXPECT_TRUE(text.startsWith("[ethernet]\nport=6000\n"));
    EXPECT_EQ(text.count("6000"), 1);
}

TEST(SettingsFile, UnknownSectionsKeysAndCommentsAreKept) {
    QTemporaryDir dir;
    test::writeFile(
        dir, QStringLiteral("holvex.ini"),
        QByteArray("; site 4\n[Misc]\nRetry=2\nOperatorNote=north shaft\n[Vendor]\nLicence=ABC\n"));
    ASSERT_TRUE(saveAllSettings(path(dir), Settings()));
    const QByteArray text = test::readFile(path(dir));
    EXPECT_TRUE(text.startsWith("; site 4\n[Misc]\nRetry=1\nOperatorNote=north shaft\n"));
    EXPECT_TRUE(text.contains("[Vendor]\nLicence=ABC\n"));
}

struct NumberCase {
    const char* text;
    int Settings::*field;
    int expected;
};

// Out-of-range numbers clamp to the nearest end; text that is not a number gives the default.
TEST(SettingsFile, NumbersAreClampedOrDefaulted) {
    const NumberCase cases[] = {
        {"[Misc]\nRetry=15\n", &Settings::Retry, 9},
        {"[Misc]\nRetry=-3\n", &Settings::Retry, 0},
        {"[Misc]\nRetry=two\n", &Settings::Retry, 1},
        {"[Misc]\nRetry=\n", &Settings::Retry, 1},
        {"[Mbus]\nTimeout=100\n", &Settings::Timeout, 300},
        {"[Mbus]\nTimeout=99999999999999\n", &Settings::Timeout, 30000},
        {"[Mbus]\nTimeout=0x200\n", &Settings::Timeout, 500},
        {"[Mbus]\nSearchFrom=256\n", &Settings::SearchFrom, 255},
        {"[LANXP]\nEthTimeout=5\n", &Settings::EthTimeout, 20},
        {"[Ethernet]\nTReload=10\n", &Settings::TReload, 9},
        {"[Titles]\nCount=16\n", &Settings::TitleCount, 15},
        {"[Misc]\nLanguage=3\n", &Settings::Language, 3},
        {"[Misc]\nLanguage= 2 \n", &Settings::Language, 2},
    };
    for (const NumberCase& c : cases) {
        QTemporaryDir dir;
        EXPECT_EQ(fromText(dir, c.text).*c.field, c.expected) << c.text;
    }
}

TEST(SettingsFile, BooleansAreTrueWhenNotZero) {
    QTemporaryDir dir;
    const Settings s = fromText(dir, "[Com port]\nRTS=2\nDTR=-1\n[Misc]\nMSBSearch=0\nUse5B=yes\n"
                                     "[Ethernet]\nKeepAlive=0\n[Mbus]\nFastReply=0\n");
    EXPECT_TRUE(s.Rts);
    EXPECT_TRUE(s.Dtr);
    EXPECT_FALSE(s.MsbSearch);
    EXPECT_FALSE(s.Use5B); // not a number: the default
    EXPECT_FALSE(s.KeepAlive);
    EXPECT_FALSE(s.FastReply);
}

TEST(SettingsFile, TextsAreCutToTheirFieldLength) {
    QTemporaryDir dir;
    const Settings s = fromText(dir, "[Titles]\nCount=2\nTitle1=Energy tariff one and two\nTitle2=Flow\n"
                                     "[Misc]\nExportSeparator=;;\nDecSeparator=\n"
                                     "[LANXP]\nIP=192.168.100.200.1\n[Com port]\nName=/dev/ttyUSB0\n");
    EXPECT_EQ(s.Titles.at(0), QStringLiteral("Energy tariff o"));
    EXPECT_EQ(s.Titles.at(1), QStringLiteral("Flow"));
    EXPECT_EQ(s.Titles.at(2), QString());
    EXPECT_EQ(s.ExportSeparator, QStringLiteral(";"));
    EXPECT_EQ(s.DecSeparator, QStringLiteral("."));
    EXPECT_EQ(s.RemoteIp, QStringLiteral("192.168.100.200"));
    EXPECT_EQ(s.PortName, QStringLiteral("/dev/ttyUSB0"));
}

TEST(SettingsFile, SeparatorsThatAreBlanksSurvive) {
    QTemporaryDir dir;
    Settings s;
    s.ExportSeparator = QStringLiteral(" ");
    ASSERT_TRUE(saveCommunicationKeys(path(dir), s));
    EXPECT_EQ(loadSettingsFile(path(dir)).ExportSeparator, QStringLiteral(" "));
}

TEST(SettingsFile, WriteFailureReturnsFalseAndKeepsTheFile) {
    QTemporaryDir dir;
    // A folder that cannot exist: its parent is a plain file.
    const QString blocker = test::writeFile(dir, QStringLiteral("plain"), QByteArray("x"));
    const QString impossible = QDir(blocker).filePath(QStringLiteral("holvex.ini"));
    const Settings s;
    EXPECT_FALSE(saveCommunicationKeys(impossible, s));
    EXPECT_FALSE(saveTitleKeys(impossible, s));
    EXPECT_FALSE(saveMainWindowKeys(impossible, s));
    EXPECT_FALSE(saveAllSettings(impossible, s));
    // The settings path names a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ini")));
    EXPECT_FALSE(saveAllSettings(dir.filePath(QStringLiteral("folder.ini")), s));
}

TEST(SettingsFile, ReadOnlyFolderOrFileIsNotWritten) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not bind the superuser";
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(saveAllSettings(QDir(folder).filePath(QStringLiteral("holvex.ini")), Settings()));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString file = test::writeFile(dir, QStringLiteral("holvex.ini"), QByteArray("[Misc]\nRetry=3\n"));
    QFile::setPermissions(file, QFile::ReadOwner);
    EXPECT_FALSE(saveCommunicationKeys(file, Settings()));
    EXPECT_EQ(test::readFile(file), QByteArray("[Misc]\nRetry=3\n"));
}

} // namespace
} // namespace holvex
