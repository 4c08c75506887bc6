#include "../mbus/qstring_print.h"
#include "demo_path.h"
#include "devices/receiver/aes_key.h"
#include "devices/receiver/binding_lines.h"
#include "devices/receiver/key_lines.h"
#include "devices/receiver/programming_lines.h"
#include "devices/receiver/radio_application.h"
#include "devices/receiver/radio_header.h"
#include "devices/receiver/settings_lines.h"
#include "devices/receiver/telegram_finder.h"
#include "sim/installation_config.h"
#include "sim/radio_telegram.h"
#include "sim/sim_installation.h"
#include "sim/wireless_receiver.h"
#include "test_support.h"

#include <QSet>

#include <gtest/gtest.h>

#include <optional>

namespace holvex::sim {
namespace {

using test::hex;

// Key of the published security mode 5 example (EN 13757-3 annex P).
constexpr char kKeyText[] = "0102030405060708090A0B0C0D0E0F11";

constexpr char kInstallation[] = R"({"receiver": {
    "firmware": "3.12a", "clock": "2026-12-08 09:30:00", "paceMs": 1000, "splitGapMs": 300,
    "entries": [{"address": 3, "id": "00000123", "unit": 7}],
    "meters": [
        {"id": "12345678", "manufacturer": "ELS", "version": 51, "device": 3, "accessNumber": 42,
         "records": [{"type": "volume", "value": 28504.27}]},
        {"id": "57000044", "manufacturer": "AMB", "version": 12, "device": 55, "ci": "long",
         "longHeader": {"id": "44332211", "manufacturer": "ELS", "version": 1, "device": "water"},
         "key": "0102030405060708090A0B0C0D0E0F11", "accessNumber": 255, "split": true,
         "records": [{"type": "volume", "value": 12.345}]},
        {"id": "11223344", "manufacturer": "KAM", "version": 2, "device": "heat", "rssi": 180,
         "key": "0102030405060708090A0B0C0D0E0F11", "data": "04 06 D2 04 00 00 02 FD 17 00 00"}
    ],
    "air": [1, 2, 1, 3, "Done!\n"]}})";

std::unique_ptr<SimInstallation> makeBus(const QByteArray& json = kInstallation) {
    QString error;
    auto bus = SimInstallation::fromJson(json, &error);
    EXPECT_TRUE(bus) << error.toStdString();
    return bus;
}

WirelessReceiver makeReceiver() {
    QString error;
    const auto config = parseInstallation(kInstallation, &error);
    EXPECT_TRUE(config && config->receiver) << error.toStdString();
    return WirelessReceiver(*config->receiver);
}

std::optional<QByteArray> say(WirelessReceiver& receiver, const QByteArray& line, qint64 nowMs = 0) {
    const auto parsed = parseTextLine(line);
    EXPECT_TRUE(parsed.has_value()) << line.constData();
    return parsed ? receiver.answer(*parsed, nowMs) : std::nullopt;
}

receiver::AesKey aesKey() {
    return receiver::parseHexKey(QString::fromLatin1(kKeyText)).value();
}

// A key holding every byte that could trouble a line: CR, LF, 0x00, 0x68, a comma, a blank, "set ".
const QByteArray kAwkwardKey = QByteArray("\r\n\0h, set \x16\xFF\x80\x7F\x1Bz", 16);

TEST(SimReceiverTest, LinesAreAnsweredAndKept) {
    WirelessReceiver r = makeReceiver();
    const struct Row {
        QByteArray line;
        QByteArray answer;
    } rows[] = {
        {"set date=03/03/14", "Date 03/03/14\n"},
        {"set date=31/02/14", "Date: wrong value\n"},
        {"set time=09:05:07", "Time 09:05:07\n"},
        {"set time=24:00:00", "Time: wrong value\n"},
        {"set time=9:05:07", "Time: wrong value\n"},
        {"set pito=15", "Save interval 15 min\n"},
        {"set pito=5", "Save interval 5 min\n"},
        {"set pito=241", "Save interval: wrong value\n"},
        {"set wmod=3", "Radio mode S1\n"},
        {"set wmod=11", "Radio mode T2+C\n"},
        {"set wmod=5", "Radio mode: wrong value\n"},
        {"set nrol=2", "Role repeater\n"},
        {"set nrol=3", "Role: wrong value\n"},
        {"set wwrk=1", "Work mode install\n"},
        {"set rssi=1", "RSSI on\n"},
        {"set minc=0", "Min/Hours off\n"},
        {"set ambr=1", "Secondary ID on\n"},
        {"set mast=2", "Master Key: wrong value\n"},
        {"set rtra=1", "Unknown command\n"}, // the later firmware's key is "trns"
        {"set entr=5,12345678", "Done!\n"},
        {"set entr=5,12345678", "Entry 5 already active\n"},
        {"set entr=3,0000abcd", "Done!\n"}, // another meter under the address: it takes its place
        {"set entr=451,12345678", "Wrong address\n"},
        {"set entr=6,1234567", "Wrong ID\n"},
        {"set unit=5,16", "Entry 5 unit 16\n"},
        {"set unit=5,17", "Unit: wrong value\n"},
        {"set unit=9,7", "Entry 9 not active\n"},
        {"del entr=9", "Entry 9 not active\n"},
        {"set entr=9,00000009", "Done!\n"},
        {"del entr=9", "Entry 9 deleted\n"},
        {"del bind=64", "Nothing bound at 64\n"},
        {"del bind=65", "Wrong address\n"},
        {"get wsta=1", "Wrong arguments\n"},
        {"set wmod", "Wrong arguments\n"},
        {"get stat", "Unknown command\n"},
        {"set foo1=1", "Unknown command\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(say(r, row.line), row.answer) << row.line.constData();
    }
    const ReceiverConfig& s = r.state();
    EXPECT_EQ(s.clock, QDateTime(QDate(2014, 3, 3), QTime(9, 5, 7)));
    EXPECT_EQ(s.saveInterval, 5);
    EXPECT_EQ(s.radioMode, 11);
    EXPECT_EQ(s.role, 2);
    EXPECT_EQ(s.workMode, 1);
    EXPECT_TRUE(r.option("rssi"));
    EXPECT_FALSE(r.option("minc"));
    EXPECT_TRUE(r.option("ambr"));
    EXPECT_FALSE(r.option("mast"));
    EXPECT_FALSE(r.transparent());
    EXPECT_EQ(s.entries.keys(), (QList<int>{3, 5}));
    EXPECT_EQ(s.entries.value(3).id, QByteArray("0000ABCD"));
    EXPECT_EQ(s.entries.value(3).unitCode, -1); // a new meter under the address starts without a unit
    EXPECT_EQ(s.entries.value(5).unitCode, 16);

    EXPECT_EQ(say(r, "get serv"), QByteArray("Ravik-Q wireless M-Bus receiver\nSerial number: RQ-000001\n"
                                             "Firmware: 3.12a\nDate: 03/03/14\nTime: 09:05:07\n"
                                             "Save interval: 5 min\nActive meters: 2\nBound meters: 0\n"
                                             "Keys: 0, no master key\n"));
    EXPECT_EQ(say(r, "get wsta"),
              QByteArray("Radio mode: T2+C\nRole: repeater\nWork mode: install\nRSSI: on\n"
                         "Timestamp: off\nMin/Hours: off\nTransparent: off\n"
                         "Secondary ID: on\nMaster Key: off\nTelegrams relayed: 0\n"));
}

TEST(SimReceiverTest, RawBytesAreTakenWholeAndKeptByteForByte) {
    WirelessReceiver r = makeReceiver();
    // The program's own lines: binding a meter, storing keys under the address, the ID and as master key.
    receiver::ReceiverRow row;
    row.id = QStringLiteral("12345678");
    row.address = QStringLiteral("7");
    row.manufacturer = QStringLiteral("ABC");
    row.version = QStringLiteral("1");
    row.device = QStringLiteral("7");
    const receiver::ReceiverCommands bind = receiver::bindCommands(row);
    ASSERT_EQ(bind.commands.size(), 1);
    EXPECT_EQ(say(r, bind.commands.first().line()), QByteArray("Meter 7 bound: 12345678 ABC v1 d7\n"));
    EXPECT_EQ(r.state().bindings.value(7), hex("78 56 34 12 43 04 01 07"));

    const QString keyText = QString::fromLatin1(kAwkwardKey);
    const receiver::ReceiverCommands keys = receiver::keyCommands(
        row, keyText, receiver::KeyEntry::Ascii, {.address = true, .useId = true, .oneKeyAll = false});
    ASSERT_EQ(keys.commands.size(), 2) << keys.refusal.toStdString();
    EXPECT_EQ(say(r, keys.commands.at(0).line()), QByteArray("Key 7 stored\n"));
    EXPECT_EQ(say(r, keys.commands.at(1).line()), QByteArray("Key 12345678 stored\n"));
    EXPECT_EQ(r.state().addressKeys.value(7), kAwkwardKey);
    EXPECT_EQ(r.state().idKeys.value("12345678"), kAwkwardKey);

    const QByteArray master = hex("00 0D 0A 68 16 2C 20 FF 00 0D 0A 68 16 2C 20 FF");
    for (const QByteArray& prefix : {QByteArray("set encr=0,"), QByteArray("set akey=00000000,")}) {
        EXPECT_EQ(say(r, prefix + master), QByteArray("Master key stored\n")) << prefix.constData();
        EXPECT_EQ(r.state().masterKey, master);
        r = makeReceiver();
    }

    const struct Refused {
        QByteArray line;
        QByteArray answer;
    } refused[] = {
        {"set bind=7," + hex("78 56 34 12 43 04 01"), "Secondary address: wrong length\n"},
        {"set bind=7," + hex("78 56 34 12 43 04 01 07 0D 0A"), "Secondary address: wrong length\n"},
        {"set bind=65," + hex("78 56 34 12 43 04 01 07"), "Wrong address\n"},
        {"set bind=0," + hex("78 56 34 12 43 04 01 07"), "Wrong address\n"},
        {"set encr=451," + kAwkwardKey, "Wrong address\n"},
        {"set encr=5," + kAwkwardKey.left(15), "Key: wrong length\n"},
        {"set encr=5", "Key: wrong length\n"},
        {"set akey=1234567G," + kAwkwardKey, "Wrong ID\n"},
        {"set akey=12345678," + kAwkwardKey + 'x', "Key: wrong length\n"},
    };
    for (const Refused& line : refused) {
        EXPECT_EQ(say(r, line.line), line.answer) << test::spacedHex(line.line).toStdString();
    }
    EXPECT_TRUE(r.state().bindings.isEmpty());
    EXPECT_TRUE(r.state().addressKeys.isEmpty());
    EXPECT_TRUE(r.state().idKeys.isEmpty());
    EXPECT_EQ(say(r, "set bind=64," + hex("0D 0A 00 68 2C 20 FF 16")),
              QByteArray("Meter 64 bound: 68000A0D HAL v255 d22\n"));
    EXPECT_EQ(say(r, "del bind=64"), QByteArray("Meter 64 unbound\n"));
}

TEST(SimReceiverTest, FirmwareFaultsAndActivationRetries) {
    QByteArray oldFirmware = kInstallation;
    oldFirmware.replace("\"3.12a\"", "\"3.01f\"");
    QString error;
    WirelessReceiver old(parseInstallation(oldFirmware, &error)->receiver.value());
    EXPECT_TRUE(old.upToV301f());
    EXPECT_EQ(say(old, "set trns=1"), QByteArray("Unknown command\n"));
    EXPECT_FALSE(old.transparent());
    EXPECT_EQ(say(old, "set rtra=1"), QByteArray("Done!\n"));
    EXPECT_TRUE(old.transparent());
    EXPECT_TRUE(say(old, "get wsta").value_or(QByteArray()).contains("Transparent: on\n"));
    for (const char* firmware : {"3.01", "2.99z", "3.01a"}) {
        QByteArray json = kInstallation;
        json.replace("\"3.12a\"", QByteArray("\"") + firmware + '"');
        EXPECT_TRUE(WirelessReceiver(parseInstallation(json, &error)->receiver.value()).upToV301f())
            << firmware;
    }
    for (const char* firmware : {"3.01g", "3.02", "4.00", "10.00"}) {
        QByteArray json = kInstallation;
        json.replace("\"3.12a\"", QByteArray("\"") + firmware + '"');
        EXPECT_FALSE(WirelessReceiver(parseInstallation(json, &error)->receiver.value()).upToV301f())
            << firmware;
    }

    // The programming run's retries: two busy answers, then the activation goes through.
    WirelessReceiver busy = makeReceiver();
    busy.setFaults({.text = {}, .neverDone = false, .busyActivations = 2});
    const auto activation = receiver::activationCommand(8, QStringLiteral("123"), 1);
    ASSERT_TRUE(activation.command.has_value());
    const struct Try {
        const char* answer;
        bool accepted;
    } tries[] = {{"Busy, try again\n", false},
                 {"Busy, try again\n", false},
                 {"Done!\n", true},
                 {"Entry 8 already active\n", true}};
    for (const Try& t : tries) {
        const auto answer = say(busy, activation.command->line());
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(*answer, QByteArray(t.answer));
        EXPECT_EQ(receiver::activationAccepted(*answer), t.accepted) << t.answer;
    }
    EXPECT_EQ(busy.state().entries.value(8).id, QByteArray("00000123"));

    WirelessReceiver never = makeReceiver();
    never.setFaults({.text = {}, .neverDone = true, .busyActivations = 0});
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(receiver::activationAccepted(say(never, "set entr=8,00000123").value()));
    }
    EXPECT_FALSE(never.state().entries.contains(8));
    EXPECT_EQ(say(never, "set wmod=0"), QByteArray("Radio mode S2\n")); // other lines as usual

    // Quiet for the first two lines, which change nothing; silent for good after that.
    WirelessReceiver late = makeReceiver();
    late.setFaults({.text = {.answerAfter = 2}, .neverDone = false, .busyActivations = 0});
    EXPECT_EQ(say(late, "set trns=1"), std::nullopt);
    EXPECT_EQ(say(late, "set pito=99"), std::nullopt);
    EXPECT_FALSE(late.transparent());
    EXPECT_EQ(late.state().saveInterval, 15);
    EXPECT_EQ(say(late, "set pito=99"), QByteArray("Save interval 99 min\n"));
    late.setFaults({.text = {.silent = true}, .neverDone = false, .busyActivations = 0});
    EXPECT_EQ(say(late, "set trns=1"), std::nullopt);
    EXPECT_FALSE(late.transparent());
    EXPECT_EQ(late.linesSeen(), 4);
}

// The program's acquisition reads whatever is waiting at each tick and looks for its telegrams.
struct Heard {
    QVector<QByteArray> telegrams;
    int done = 0;
};

Heard hearWithTheFinder(const QList<QByteArray>& writes) {
    Heard heard;
    QByteArray kept;
    for (const QByteArray& w : writes) {
        kept += w;
        const receiver::TelegramScan scan = receiver::scanTelegrams(kept);
        heard.telegrams += scan.telegrams;
        heard.done += scan.outcome == receiver::ScanOutcome::Done ? 1 : 0;
        kept.remove(0, scan.consumed);
    }
    return heard;
}

TEST(SimReceiverTest, TransparentOutputOverTimeDecodesInTheProgram) {
    WirelessReceiver r = makeReceiver();
    EXPECT_EQ(r.nextRelayMs(), std::nullopt);
    EXPECT_EQ(say(r, "set trns=1", 5000), QByteArray("Done!\n"));
    EXPECT_EQ(r.takeRelayed(5999), QList<QByteArray>{});
    EXPECT_EQ(r.nextRelayMs(), 6000);

    // The air list is meter 1, meter 2 (split in two writes 300 ms apart), meter 1, meter 3, "Done!\n".
    struct Step {
        qint64 atMs;
        int writes;
    };
    QList<QByteArray> writes;
    for (const Step& step : {Step{6000, 1}, Step{7000, 1}, Step{7299, 0}, Step{7300, 1}, Step{8000, 1},
                             Step{9000, 1}, Step{10000, 1}, Step{11000, 1}}) {
        const QList<QByteArray> now = r.takeRelayed(step.atMs);
        EXPECT_EQ(now.size(), step.writes) << step.atMs;
        writes += now;
    }
    ASSERT_EQ(writes.size(), 7);
    EXPECT_EQ(writes.at(5), QByteArray("Done!\n"));
    EXPECT_TRUE(writes.at(1).startsWith('\x68'));
    EXPECT_TRUE(hearWithTheFinder({writes.at(1)}).telegrams.isEmpty()); // the split telegram's first half

    const Heard heard = hearWithTheFinder(writes.mid(0, 5));
    ASSERT_EQ(heard.telegrams.size(), 4);
    const QByteArray& first = heard.telegrams.at(0);
    EXPECT_EQ(first.mid(2, 10), hex("44 93 15 78 56 34 12 33 03 7A"));
    EXPECT_EQ(static_cast<quint8>(first.at(1)) + 3, first.size()); // 68 L, L bytes, 16
    // Repeats of a meter count the access number up; the first was 42.
    EXPECT_EQ(heard.telegrams.at(0).at(12), '\x2A');
    EXPECT_EQ(heard.telegrams.at(2).at(12), '\x2B');
    EXPECT_EQ(writes.at(6), heard.telegrams.at(0).left(12) + '\x2C' + heard.telegrams.at(0).mid(13));
    EXPECT_EQ(hearWithTheFinder({writes.at(5)}).done, 1);

    // Every telegram decodes in the program: the plain one and the encrypted ones with the meter's key.
    const struct Expected {
        const char* id;
        const char* manufacturer;
        const char* auxiliaryId;
        const char* firstRecord;
        int securityMode;
    } expected[] = {
        {"12345678", "ELS", "", "28504.270|m3", 0},
        {"57000044", "AMB", "44332211", "12.345|m3", 5},
        {"12345678", "ELS", "", "28504.270|m3", 0},
        {"11223344", "KAM", "", "1234.000|kWh", 5},
    };
    mbus::DecodeOptions options;
    options.fullRead = true;
    for (qsizetype i = 0; i < heard.telegrams.size(); ++i) {
        const QByteArray& t = heard.telegrams.at(i);
        const Expected& e = expected[i];
        const auto row = receiver::radioHeaderRow(t, {}, {});
        ASSERT_TRUE(row.has_value()) << i;
        EXPECT_EQ(row->id, QLatin1String(e.id)) << i;
        EXPECT_EQ(row->manufacturer, QLatin1String(e.manufacturer)) << i;
        EXPECT_EQ(row->auxiliaryId, QLatin1String(e.auxiliaryId)) << i;
        const receiver::RadioDecodeResult decoded = receiver::decodeRelayedTelegram(t, aesKey(), options);
        EXPECT_EQ(decoded.securityMode, e.securityMode) << i;
        ASSERT_TRUE(decoded.decoded.ok) << i << decoded.decoded.log.join(QLatin1Char('\n')).toStdString();
        ASSERT_FALSE(decoded.decoded.records.isEmpty()) << i;
        const mbus::RecordRow& record = decoded.decoded.records.first();
        EXPECT_EQ(record.value + QLatin1Char('|') + record.unit, QLatin1String(e.firstRecord)) << i;
        if (e.securityMode == 5) {
            // A wrong key shows that the records really were encrypted.
            const auto wrong = receiver::decodeRelayedTelegram(t, receiver::AesKey{}, options);
            EXPECT_EQ(wrong.decoded.log,
                      QStringList{QStringLiteral("decryption failed: the first two bytes are not 2F 2F")});
        }
    }

    // The RSSI option adds a byte before the end byte; the finder and the decoder leave it out.
    EXPECT_EQ(say(r, "set rssi=1", 11000), QByteArray("RSSI on\n"));
    const QList<QByteArray> split = r.takeRelayed(12000); // meter 2 again
    ASSERT_EQ(split.size(), 1);
    EXPECT_EQ(say(r, "set trns=0", 12100), QByteArray("Done!\n"));
    // The split telegram is finished even though the output was switched off in between; then nothing.
    const QList<QByteArray> rest = r.takeRelayed(12300);
    ASSERT_EQ(rest.size(), 1);
    const QByteArray withRssi = split.first() + rest.first();
    EXPECT_EQ(withRssi.right(2), QByteArray("\xC5\x16", 2));
    EXPECT_EQ(static_cast<quint8>(withRssi.at(1)) + 4, withRssi.size()); // 68 L ... RSSI 16
    EXPECT_TRUE(receiver::decodeRelayedTelegram(withRssi, aesKey(), options).decoded.ok);
    EXPECT_EQ(r.takeRelayed(60000), QList<QByteArray>{});
    EXPECT_EQ(r.nextRelayMs(), std::nullopt);
    EXPECT_EQ(r.relay().telegramsWritten(), 6);

    // A clock that jumps far ahead does not pour out everything missed.
    EXPECT_EQ(say(r, "set trns=1", 100000), QByteArray("Done!\n"));
    EXPECT_EQ(r.takeRelayed(100000000).size(), TransparentRelay::kMaxWritesAtOnce);
    const qint64 next = r.nextRelayMs().value_or(0);
    EXPECT_TRUE(next >= 100000000 && next <= 100001000) << next;
}

TEST(SimReceiverTest, TelegramLayoutAndEncryption) {
    // The long header example: the records are encrypted under the long header's address, and the block
    // count and security mode sit in the configuration word.
    RadioMeterConfig m;
    m.link = {.id = "57000044", .manufacturer = 0x05A2, .version = 0x0C, .device = 0x37};
    m.longHeader = {.id = "44332211", .manufacturer = 0x1593, .version = 0x01, .device = 0x07};
    m.header = RadioHeader::Long;
    m.records = hex("04 13 39 30 00 00");
    m.key = hex("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 11");
    QString error;
    const auto t = relayedTelegram(m, 0x05, false, &error);
    ASSERT_TRUE(t.has_value()) << error.toStdString();
    EXPECT_EQ(t->left(24), hex("68 26 44 A2 05 44 00 00 57 0C 37 72 11 22 33 44 93 15 01 07 05 00 10 05"));
    EXPECT_EQ(t->size(), 24 + 16 + 1);
    const auto plain = receiver::decryptAesCbc(
        aesKey(), receiver::mode5Iv(receiver::linkAddressOfTelegram(*t).value(), 5), t->mid(24, 16));
    EXPECT_NE(plain, hex("2F 2F 04 13 39 30 00 00 2F 2F 2F 2F 2F 2F 2F 2F")); // not the link layer's IV
    const receiver::RadioAddress meter{
        .manufacturer = 0x1593, .id = {0x11, 0x22, 0x33, 0x44}, .version = 1, .device = 7};
    EXPECT_EQ(receiver::decryptAesCbc(aesKey(), receiver::mode5Iv(meter, 5), t->mid(24, 16)),
              hex("2F 2F 04 13 39 30 00 00 2F 2F 2F 2F 2F 2F 2F 2F"));
    EXPECT_EQ(mode5InitializationVector(m.longHeader, 5),
              hex("93 15 11 22 33 44 01 07 05 05 05 05 05 05 05 05"));
    EXPECT_EQ(secondaryAddress(m.longHeader), hex("11 22 33 44 93 15 01 07"));

    const struct Refused {
        const char* what;
        RadioMeterConfig meter;
    } refused[] = {
        {"a key without a header",
         [&] {
             RadioMeterConfig c = m;
             c.header = RadioHeader::None;
             return c;
         }()},
        {"sixteen blocks",
         [&] {
             RadioMeterConfig c = m;
             c.records = QByteArray(15 * 16 - 1, '\x01');
             return c;
         }()},
        {"more than L counts",
         [&] {
             RadioMeterConfig c = m;
             c.key.clear();
             c.records = QByteArray(247 - 13, '\x01');
             return c;
         }()},
    };
    for (const Refused& r : refused) {
        EXPECT_FALSE(relayedTelegram(r.meter, 0, false, &error).has_value()) << r.what;
    }
    RadioMeterConfig none = m;
    none.header = RadioHeader::None;
    none.key.clear();
    EXPECT_EQ(relayedTelegram(none, 0, false, nullptr),
              hex("68 10 44 A2 05 44 00 00 57 0C 37 78 04 13 39 30 00 00 16"));
}

TEST(SimReceiverTest, LoaderRefusesWhatItDoesNotKnow) {
    const struct Row {
        const char* receiver;
        const char* error;
    } rows[] = {
        {R"({"pace": 5})", "receiver: unknown key \"pace\""},
        {R"({"firmware": "v3"})", "receiver: \"firmware\" is written like \"3.01f\" or \"3.12\""},
        {R"({"radioMode": "C1"})",
         "receiver: \"radioMode\" is \"S2\" or \"T1\" or \"T2\" or \"S1\" or \"R\" or \"T1+C\" or \"T2+C\""},
        {R"({"faults": {"neverDone": true, "late": 1}})", "receiver: unknown key \"late\""},
        {R"({"options": {"trns": 1}})", "receiver options: \"trns\" is true or false"},
        {R"({"entries": [{"address": 3, "id": "1"}]})", "receiver entry 1: \"id\" is 8 hex digits"},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS", "cI": "long"}]})",
         "radio meter 1: unknown key \"cI\""},
        {R"({"meters": [{"id": "12345678", "manufacturer": "E1S"}]})",
         "radio meter 1: \"manufacturer\" is 3 letters"},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS", "key": "0102"}]})",
         "radio meter 1: \"key\" is 32 hex digits"},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS", "rssi": 22}]})",
         "radio meter 1: \"rssi\" 22 (0x16) would end the telegram early"},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS", "longHeader": {"id": "1", "manufacturer": "ELS"}}]})",
         "radio meter 1: \"longHeader\" goes with \"ci\": \"long\""},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS", "ci": "none", "key": "0102030405060708090A0B0C0D0E0F11"}]})",
         "radio meter 1: a telegram without header (CI 0x78) cannot be encrypted"},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS", "data": "01", "records": []}]})",
         "radio meter 1: \"records\" or \"data\", not both"},
        {R"({"meters": [{"id": "12345678", "manufacturer": "ELS"}], "air": [1, 2]})",
         "receiver: \"air\" item 2 is a radio meter's number 1..1 or a text"},
    };
    for (const Row& row : rows) {
        QString error;
        const QByteArray json = QByteArray(R"({"receiver": )") + row.receiver + '}';
        EXPECT_FALSE(parseInstallation(json, &error).has_value()) << row.receiver;
        EXPECT_EQ(error, QLatin1String(row.error)) << row.receiver;
    }
}

TEST(SimReceiverTest, InstallationRoutesLowerCaseLinesAndRelaysOnItsOwn) {
    auto bus = makeBus();
    const SimResponse answer = bus->handleLine("set wmod=4", TextRoad::Gateway);
    EXPECT_TRUE(answer.text);
    EXPECT_EQ(answer.bytes(), QByteArray("Radio mode R\n"));
    EXPECT_EQ(bus->handleLine("set entr=1,12345678", TextRoad::Lan).bytes(), QByteArray("Done!\n"));
    EXPECT_EQ(bus->handlePayload("get wsta", TextRoad::Gateway).bytes().left(14),
              QByteArray("Radio mode: R\n"));
    bus->receiver()->setFaults(
        {.text = {.lateMs = 40, .pieces = 2, .gapMs = 5}, .neverDone = false, .busyActivations = 0});
    const SimResponse late = bus->handleLine("set nrol=1", TextRoad::Serial);
    ASSERT_EQ(late.chunks.size(), 2);
    EXPECT_EQ(late.chunks.at(1).atMs, bus->config().turnaroundMs + 45);
    EXPECT_EQ(late.bytes(), QByteArray("Role master\n"));

    // Without a receiver the lower-case lines stay unanswered, as before.
    auto none = makeBus(R"({"meters": []})");
    EXPECT_TRUE(none->handleLine("set wmod=4", TextRoad::Serial).isEmpty());
    EXPECT_EQ(none->receiver(), nullptr);
}

TEST(SimReceiverTest, DemoReceiverRelaysWhatTheProgramDecodesWithTheDocumentedKey) {
    QString error;
    const auto config = loadInstallation(test::demoPath(), &error);
    ASSERT_TRUE(config.has_value()) << error.toStdString();
    ASSERT_TRUE(config->receiver.has_value());
    SimInstallation bus(*config);
    WirelessReceiver& r = *bus.receiver();
    // Through a gateway every answer must fit one packet.
    for (const char* line : {"get serv", "get wsta"}) {
        EXPECT_LE(bus.handleLine(line, TextRoad::Gateway).bytes().size(), 255) << line;
    }
    ASSERT_EQ(say(r, "set trns=1", 0), QByteArray("Done!\n"));
    QList<QByteArray> writes;
    for (qint64 at = 0; at <= 8000; at += 100) {
        writes += r.takeRelayed(at);
    }
    const Heard heard = hearWithTheFinder(writes);
    ASSERT_EQ(heard.telegrams.size(), 4);
    const auto key = receiver::parseHexKey(QStringLiteral("000102030405060708090A0B0C0D0E0F"));
    QSet<int> modes;
    QStringList ids;
    for (const QByteArray& t : heard.telegrams) {
        const auto decoded = receiver::decodeRelayedTelegram(t, key, {});
        ASSERT_TRUE(decoded.decoded.ok) << decoded.decoded.log.join(QLatin1Char('\n')).toStdString();
        ASSERT_TRUE(decoded.decoded.row.has_value());
        modes.insert(decoded.securityMode);
        ids.append(decoded.decoded.row->id);
    }
    EXPECT_EQ(modes, (QSet<int>{0, 5}));
    EXPECT_EQ(ids, (QStringList{QStringLiteral("21034601"), QStringLiteral("44332211"),
                                QStringLiteral("21034601"), QStringLiteral("31415926")}));
}

} // namespace
} // namespace holvex::sim
