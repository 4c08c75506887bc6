#include "mbus/response_decoder.h"

#include "codec/frame_codec.h"
#include "test_support.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace holvex::mbus {
namespace {

using test::hex;

// Manufacturer fields, low byte first.
constexpr const char* kAbc = "43 04";
constexpr const char* kApa = "01 06";
constexpr const char* kBmt = "B4 09";
constexpr const char* kHvx = "D8 22";
constexpr const char* kZpa = "01 6A";

// A response telegram from address 1: ID 12345678, the given manufacturer, version, medium, access 5 and
// status, followed by the records.
QByteArray telegram(const char* manufacturer, const char* medium, const char* records,
                    const char* version = "01", const char* status = "00") {
    QByteArray data = hex("78 56 34 12");
    data += hex(manufacturer);
    data += hex(version);
    data += hex(medium);
    data += hex("05");
    data += hex(status);
    data += hex("00 00");
    data += hex(records);
    return codec::longFrame(0x08, 0x01, 0x72, data);
}

DecodeOptions extra(int count) {
    DecodeOptions options;
    options.extraTitleCount = count;
    return options;
}

QStringList units(const DecodeResult& result) {
    QStringList units;
    for (const RecordRow& row : result.records) {
        units.append(row.unit);
    }
    return units;
}

TEST(DecodeResponseTest, SevenByteReplyLogsOnlyTheTrace) {
    const DecodeResult result = decodeResponse(hex("68 01 01 68 08 09 16"), {});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.frameChecked);
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Respond: 68 01 01 68 08 09 16 ")});
    EXPECT_FALSE(result.row.has_value());
}

TEST(DecodeResponseTest, WrongChecksumAndStopDecodeNothing) {
    QByteArray frame = telegram(kAbc, "07", "04 13 39 30 00 00");
    frame[frame.size() - 2] = static_cast<char>(frame[frame.size() - 2] + 1);
    frame[frame.size() - 1] = 0x17;
    const DecodeResult result = decodeResponse(frame, {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.log.mid(1),
              (QStringList{QStringLiteral("Wrong CRC"), QStringLiteral("Wrong STOP byte")}));
    EXPECT_FALSE(result.row.has_value());
    EXPECT_TRUE(result.records.isEmpty());
}

TEST(DecodeResponseTest, LengthFieldDisagreeingWithTheBytes) {
    // L says 0x1F but the frame holds 0x26 bytes.
    QByteArray frame = telegram(kAbc, "07", "04 13 39 30 00 00 00 00 00 00 00 00 00 00 00 00 00");
    ASSERT_EQ(frame.size(), 0x26);
    frame[1] = 0x1F;
    const DecodeResult result = decodeResponse(frame, {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.log.mid(1), QStringList{QStringLiteral("Wrong length in the header")});
}

TEST(DecodeResponseTest, WaterMeterRow) {
    const QByteArray frame = telegram(kAbc, "07", "04 13 39 30 00 00");
    const DecodeResult result = decodeResponse(frame, {});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Respond: ") + test::spacedHex(frame)});
    ASSERT_TRUE(result.row.has_value());
    const MeterRow& row = *result.row;
    EXPECT_EQ(row.id, QStringLiteral("12345678"));
    EXPECT_EQ(row.address, QStringLiteral("1"));
    EXPECT_EQ(row.manufacturer, QStringLiteral("ABC"));
    EXPECT_EQ(row.value, QStringLiteral("12.345"));
    EXPECT_EQ(row.unit, QStringLiteral("m3"));
    EXPECT_EQ(row.medium, QStringLiteral("Water"));
    EXPECT_EQ(row.status, QStringLiteral("00"));
    EXPECT_EQ(row.model, QStringLiteral("Unknown"));
    EXPECT_TRUE(row.pulse.isEmpty());
    EXPECT_TRUE(row.battery.isEmpty());
    EXPECT_TRUE(row.extra.isEmpty());
    ASSERT_EQ(result.records.size(), 1);
    const RecordRow& record = result.records[0];
    EXPECT_EQ(record.number, QStringLiteral("1"));
    EXPECT_EQ(record.difHex, QStringLiteral("04 "));
    EXPECT_EQ(record.vifHex, QStringLiteral("13"));
    EXPECT_TRUE(record.vifeHex.isEmpty());
    EXPECT_FALSE(result.showReport);
    EXPECT_TRUE(result.reportLines.isEmpty());
    ASSERT_EQ(result.gridDataRows.size(), 1);
    EXPECT_EQ(result.gridDataRows[0][1], QStringLiteral("12.345"));
}

// Without the report grid the decode gives the same row, records and log, and no grid rows; a full read
// fills the grid all the same.
TEST(DecodeResponseTest, ReportGridCanBeLeftOut) {
    const QByteArray frame = telegram(kAbc, "07", "04 13 39 30 00 00 84 10 13 10 27 00 00 0F 01 02");
    DecodeOptions withGrid = extra(2);
    DecodeOptions withoutGrid = extra(2);
    withoutGrid.reportGrid = false;
    const DecodeResult full = decodeResponse(frame, withGrid);
    const DecodeResult lean = decodeResponse(frame, withoutGrid);
    ASSERT_TRUE(lean.ok);
    EXPECT_EQ(full.gridDataRows.size(), 3);
    EXPECT_TRUE(lean.gridDataRows.isEmpty());
    EXPECT_EQ(lean.log, full.log);
    ASSERT_TRUE(lean.row.has_value());
    EXPECT_EQ(lean.row->value, full.row->value);
    EXPECT_EQ(lean.row->extra, full.row->extra);
    ASSERT_EQ(lean.records.size(), full.records.size());
    for (int i = 0; i < lean.records.size(); ++i) {
        const RecordRow& a = lean.records[i];
        const RecordRow& b = full.records[i];
        EXPECT_EQ(QStringList({a.number, a.value, a.unit, a.qualifier, a.difHex, a.vifHex, a.vifeHex}),
                  QStringList({b.number, b.value, b.unit, b.qualifier, b.difHex, b.vifHex, b.vifeHex}));
    }
    withoutGrid.fullRead = true;
    EXPECT_EQ(decodeResponse(frame, withoutGrid).gridDataRows.size(), 1 + 3 + 2);
}

TEST(DecodeResponseTest, IdShowsNonDecimalNibblesAsLetters) {
    QByteArray data = hex("FE 0A 00 A0");
    data += hex(kAbc);
    data += hex("01 07 05 3C 00 00");
    const DecodeResult result = decodeResponse(codec::longFrame(0x08, 0xFA, 0x72, data), {});
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->id, QStringLiteral("A0000AFE"));
    EXPECT_EQ(result.row->address, QStringLiteral("250"));
    EXPECT_EQ(result.row->status, QStringLiteral("3C"));
}

TEST(DecodeResponseTest, HeaderOnlyLeavesValueAndUnitEmpty) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", ""), extra(2));
    ASSERT_TRUE(result.ok);
    ASSERT_TRUE(result.row.has_value());
    EXPECT_TRUE(result.row->value.isEmpty());
    EXPECT_TRUE(result.row->unit.isEmpty());
    EXPECT_EQ(result.row->extra, QStringList(2, QString()));
    EXPECT_TRUE(result.records.isEmpty());
    EXPECT_FALSE(result.moreRecordsPending);
}

TEST(DecodeResponseTest, FrameEndingInsideTheFixedHeaderIsAnError) {
    // The header fields end with the status byte (offset 16); here the frame ends at the medium.
    const QByteArray frame = codec::longFrame(0x08, 0x01, 0x72, hex("78 56 34 12 43 04 01 07"));
    const DecodeResult result = decodeResponse(frame, {});
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.frameChecked);
    ASSERT_EQ(result.log.size(), 2);
    EXPECT_TRUE(result.log[1].startsWith(QStringLiteral("Unexpected error in the telegram - ")));
    EXPECT_FALSE(result.row.has_value());
}

TEST(DecodeResponseTest, FirstRecordWithAMainUnitWins) {
    // Heat meter: energy in MJ first, then in kWh.
    const DecodeResult result =
        decodeResponse(telegram(kAbc, "04", "04 0E 64 00 00 00 04 06 10 27 00 00"), {});
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->value, QStringLiteral("100.000"));
    EXPECT_EQ(result.row->unit, QStringLiteral("MJ"));
    EXPECT_EQ(result.row->medium, QStringLiteral("Heat (rt)"));
}

TEST(DecodeResponseTest, ExtraColumnsSkipTheMainRecord) {
    // Volume, energy, power, flow temperature on a heat meter; energy is the main record.
    const char* records = "04 13 39 30 00 00 04 06 10 27 00 00 04 2B E8 03 00 00 02 5A D2 02";
    const DecodeResult result = decodeResponse(telegram(kAbc, "04", records), extra(3));
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->value, QStringLiteral("10000.000"));
    EXPECT_EQ(result.row->unit, QStringLiteral("kWh"));
    EXPECT_EQ(result.row->extra, (QStringList{QStringLiteral("12.345 m3"), QStringLiteral("1000.000 W"),
                                              QStringLiteral("72.200 deg. C")}));
}

TEST(DecodeResponseTest, ExtraSlotsAreCutToFifteenCharacters) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "04", "04 5B 40 E2 01 00"), extra(1));
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->extra, QStringList{QStringLiteral("123456.000 deg.")});
}

TEST(DecodeResponseTest, ExtraSlotsStopAtTheFirstSlotWithoutARecord) {
    // Only one qualifying record besides the main one; "Operating Time" does not qualify.
    const char* records = "04 06 10 27 00 00 04 26 01 00 00 00 02 5A D2 02";
    const DecodeResult result = decodeResponse(telegram(kAbc, "04", records), extra(3));
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->extra, (QStringList{QStringLiteral("72.200 deg. C"), QString(), QString()}));
}

TEST(DecodeResponseTest, WithoutMainRecordNoRowIsSkipped) {
    // Gas meter without volume: the energy record is not a main value but fills an extra column.
    const DecodeResult result = decodeResponse(telegram(kAbc, "03", "04 06 10 27 00 00"), extra(1));
    ASSERT_TRUE(result.row.has_value());
    EXPECT_TRUE(result.row->value.isEmpty());
    EXPECT_EQ(result.row->extra, QStringList{QStringLiteral("10000.000 kWh")});
}

struct EndingCase {
    const char* name;
    const char* records;
    bool more;
    int rows;
};

class ManufacturerEndingTest : public ::testing::TestWithParam<EndingCase> {};

TEST_P(ManufacturerEndingTest, ManufacturerDataEndTheWalk) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", GetParam().records), {});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.moreRecordsPending, GetParam().more);
    ASSERT_EQ(result.records.size(), GetParam().rows);
    const RecordRow& last = result.records.last();
    EXPECT_EQ(last.qualifier, QStringLiteral("Manf. secific"));
    EXPECT_TRUE(last.unit.isEmpty());
    EXPECT_EQ(last.number, QString::number(GetParam().rows));
    EXPECT_EQ(result.gridDataRows.last()[2], QStringLiteral("Manf. specific"));
}

INSTANTIATE_TEST_SUITE_P(Endings, ManufacturerEndingTest,
                         ::testing::Values(EndingCase{"MoreFollow", "04 13 39 30 00 00 1F 01 02", true, 2},
                                           EndingCase{"Last", "04 13 39 30 00 00 0F 01 02", false, 2},
                                           // Any DIF with the low nibble F, and no data after it.
                                           EndingCase{"OtherNibble", "04 13 39 30 00 00 3F", false, 2},
                                           EndingCase{"Alone", "1F AA", true, 1}),
                         [](const ::testing::TestParamInfo<EndingCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(DecodeResponseTest, ManufacturerDataAreTheRestBeforeTheChecksum) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", "0F 01 0A FF"), {});
    ASSERT_EQ(result.records.size(), 1);
    EXPECT_EQ(result.records[0].value, QStringLiteral("01 0A FF "));
    EXPECT_EQ(result.gridDataRows[0][3], QStringLiteral("01 0A FF "));
}

TEST(DecodeResponseTest, FillersUseNoRecordNumber) {
    const DecodeResult result =
        decodeResponse(telegram(kAbc, "07", "2F 2F 04 13 39 30 00 00 2F 02 FD 46 10 0E 2F"), {});
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_EQ(result.records[0].number, QStringLiteral("1"));
    EXPECT_EQ(result.records[1].number, QStringLiteral("2"));
    EXPECT_EQ(result.records[1].unit, QStringLiteral("Volts, 10^-3"));
    EXPECT_EQ(result.records[1].vifHex, QStringLiteral("FD"));
    EXPECT_EQ(result.records[1].vifeHex, QStringLiteral("46 "));
}

TEST(DecodeResponseTest, DifesAndVifesGoToTheirColumns) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", "84 90 00 93 3B 39 30 00 00"), {});
    ASSERT_EQ(result.records.size(), 1);
    EXPECT_EQ(result.records[0].difHex, QStringLiteral("84 90 00 "));
    EXPECT_EQ(result.records[0].vifHex, QStringLiteral("93"));
    EXPECT_EQ(result.records[0].vifeHex, QStringLiteral("3B "));
    EXPECT_EQ(result.records[0].value, QStringLiteral("12.345"));
    EXPECT_EQ(result.records[0].unit, QStringLiteral("m3"));
}

TEST(DecodeResponseTest, BmtWaterMeterWithVolumeIsMb1OrMb2) {
    const DecodeResult withVolume = decodeResponse(telegram(kBmt, "07", "04 13 39 30 00 00", "23"), {});
    ASSERT_TRUE(withVolume.row.has_value());
    EXPECT_EQ(withVolume.row->model, QStringLiteral("MB1/MB2"));
    const DecodeResult withoutVolume = decodeResponse(telegram(kBmt, "07", "04 06 10 27 00 00", "23"), {});
    ASSERT_TRUE(withoutVolume.row.has_value());
    EXPECT_EQ(withoutVolume.row->model, QStringLiteral("QSB-3"));
}

TEST(DecodeResponseTest, MakersOwnMeterCarriesPulseWidthAndBattery) {
    // Battery bytes follow the manufacturer-data DIF: the 4th byte after it is 0xB8 (3.61 V).
    const DecodeResult result =
        decodeResponse(telegram(kHvx, "07", "04 13 39 30 00 00 0F 11 22 33 B8 00 00", "23", "8E"), {});
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->manufacturer, QStringLiteral("HVX"));
    EXPECT_EQ(result.row->model, QStringLiteral("QSB-3"));
    EXPECT_EQ(result.row->pulse, QStringLiteral("50ms"));
    EXPECT_EQ(result.row->battery, QStringLiteral("3.61V"));
    EXPECT_EQ(result.row->status, QStringLiteral("8E"));
}

TEST(DecodeResponseTest, MakersMeterOfUnknownModelHasNoPulseOrBattery) {
    const DecodeResult result =
        decodeResponse(telegram(kHvx, "07", "04 13 39 30 00 00 0F 11 22 33 B8 00 00", "45", "8E"), {});
    ASSERT_TRUE(result.row.has_value());
    EXPECT_TRUE(result.row->pulse.isEmpty());
    EXPECT_TRUE(result.row->battery.isEmpty());
}

TEST(DecodeResponseTest, PlainTextUnit) {
    const DecodeResult result =
        decodeResponse(telegram(kAbc, "04", "04 7C 03 6B 57 68 39 30 00 00 02 5A D2 02"), {});
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_EQ(result.records[0].unit, QStringLiteral("kWh"));
    EXPECT_EQ(result.records[0].qualifier, QStringLiteral("text"));
    EXPECT_EQ(result.records[0].vifeHex, QStringLiteral("03 6B 57 68 "));
    EXPECT_EQ(result.records[0].value, QStringLiteral("12345.000"));
    EXPECT_EQ(result.records[1].unit, QStringLiteral("deg. C"));
    EXPECT_EQ(result.row->value, QStringLiteral("12345.000"));
}

TEST(DecodeResponseTest, UserTextUnitWithVifeAfterTheText) {
    // VIF 0xFC, length 3, "HR%", then the VIFE 0x74 and two data bytes (0x1522 = 5410).
    const DecodeResult result =
        decodeResponse(telegram(kAbc, "07", "02 FC 03 48 52 25 74 22 15 04 13 39 30 00 00"), {});
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_EQ(result.records[0].unit, QStringLiteral("VIF is user ASCII string: HR%"));
    EXPECT_EQ(result.records[0].qualifier, QStringLiteral("text"));
    EXPECT_EQ(result.records[0].vifHex, QStringLiteral("FC"));
    EXPECT_EQ(result.records[0].vifeHex, QStringLiteral("03 48 52 25 74 "));
    EXPECT_EQ(result.records[0].value, QStringLiteral("5410.000"));
    EXPECT_EQ(result.records[1].value, QStringLiteral("12.345"));
}

TEST(DecodeResponseTest, EmptyPlainTextSkipsNothing) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", "01 7C 00 04 13 39 30 00 00"), {});
    ASSERT_TRUE(result.ok);
    // The zero length byte is the record's one data byte.
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_EQ(result.records[0].unit, QStringLiteral("Not supported"));
    EXPECT_EQ(result.records[0].vifeHex, QString());
    EXPECT_EQ(result.records[1].value, QStringLiteral("12.345"));
}

// A telegram from address 1 (ID 12345678, ABC, water, access 5, status 00) whose fixed header ends after
// the given number of signature bytes, without records.
QByteArray headerWithSignature(int signatureBytes) {
    return codec::longFrame(0x08, 0x01, 0x72,
                            hex("78 56 34 12 43 04 01 07 05 00") + QByteArray(signatureBytes, '\0'));
}

QByteArray waterRecords(const char* records) {
    return telegram(kAbc, "07", records);
}

struct CutShortCase {
    const char* name;
    QByteArray frame;
    int rows;          // record rows kept
    int leftOut;       // number of the record named in the log; 0 when none is
    const char* value; // the row's value and unit
    const char* unit;
    const char* firstExtra;
};

void PrintTo(const CutShortCase& c, std::ostream* out) {
    *out << c.name;
}

class CutShortTelegramTest : public ::testing::TestWithParam<CutShortCase> {};

TEST_P(CutShortTelegramTest, KeepsTheMeterAndTheRecordsBeforeTheCut) {
    const CutShortCase& c = GetParam();
    const QString trace = QStringLiteral("Respond: ") + test::spacedHex(c.frame);
    const QString leftOutLine =
        QStringLiteral("Data record %1 runs past the end of the telegram - left out").arg(c.leftOut);
    const QStringList expectedLog = c.leftOut > 0 ? QStringList{trace, leftOutLine} : QStringList{trace};

    const DecodeResult result = decodeResponse(c.frame, extra(1));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.log, expectedLog);
    EXPECT_EQ(result.records.size(), c.rows);
    EXPECT_EQ(result.gridDataRows.size(), c.rows);
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->value, QString::fromLatin1(c.value));
    EXPECT_EQ(result.row->unit, QString::fromLatin1(c.unit));
    EXPECT_EQ(result.row->extra, QStringList{QString::fromLatin1(c.firstExtra)});
    EXPECT_FALSE(result.moreRecordsPending);

    // The detailed report shows the records that were read and then the line for the one left out.
    DecodeOptions options;
    options.fullRead = true;
    options.reportStamp = QStringLiteral("stamp");
    const DecodeResult report = decodeResponse(c.frame, options);
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(report.log, expectedLog);
    const QStringList& lines = report.reportLines;
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{QStringLiteral("Decoded at stamp"), QString()}));
    if (c.leftOut > 0) {
        EXPECT_EQ(lines[lines.size() - 3], leftOutLine);
    }
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^DIF,DIFE="))).size(), c.rows);
    EXPECT_EQ(report.gridDataRows.size(), 1 + c.rows + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Telegrams, CutShortTelegramTest,
    ::testing::Values(
        // Meters' own telegrams. The third record's DIF/DIFE/VIF end right before the checksum.
        CutShortCase{"VifRightBeforeTheChecksum",
                     hex("68 1C 1C 68 08 02 72 78 56 34 12 24 40 01 07 55 00 00 00 03 13 15 31 00 DA 02 3B "
                         "13 01 8B 60 04 C7 16"),
                     2, 0, "12.565", "m3", "113.000 l/h"},
        // The third record's 6-digit BCD has two of its three bytes.
        CutShortCase{"BcdShortOfOneByte",
                     hex("68 1E 1E 68 08 02 72 78 56 34 12 24 40 01 07 55 00 00 00 03 13 15 31 00 DA 02 3B "
                         "13 01 8B 60 04 37 18 16 16"),
                     2, 3, "12.565", "m3", "113.000 l/h"},
        // The only record, a 4-byte real, has two bytes.
        CutShortCase{"OnlyRecordShort",
                     hex("68 13 13 68 08 05 73 78 56 34 12 0A 00 E9 7E 01 00 00 00 35 01 00 00 3C 16"), 0, 1,
                     "", "", ""},
        // The fourth record's user text says 19 characters; 5 bytes are left.
        CutShortCase{
            "UserTextPastTheEnd",
            hex("68 2E 2E 68 08 05 72 34 08 00 54 96 15 32 00 F2 00 00 00 01 FD 1B 00 02 FC 03 48 52 "
                "25 74 D4 11 22 FC 03 48 52 25 74 C8 11 12 FC 13 48 52 25 74 B4 16 5B 16"),
            3, 4, "", "", ""},
        // The same with a length byte of 0xF3.
        CutShortCase{
            "UserTextFarPastTheEnd",
            hex("68 2E 2E 68 08 05 72 34 08 00 54 96 15 32 00 F2 00 00 00 01 FD 1B 00 02 FC 03 48 52 "
                "25 74 D4 11 22 FC 03 48 52 25 74 C8 11 12 FC F3 48 52 25 74 B4 16 3B 16"),
            3, 4, "", "", ""},
        // Variable-length data with a text unit, a 6-byte temperature, then a real with one byte of four.
        CutShortCase{
            "RealAfterThreeVifes",
            hex("68 25 25 68 08 00 72 00 00 00 00 CD 25 01 02 00 00 00 00 0D 7C 02 57 50 F0 96 07 5B "
                "2A 27 A6 93 01 3D B5 1A B3 DC D1 3E 17 D5 16"),
            2, 3, "", "", "67076981401386."},
        // Header up to the status byte and no signature.
        CutShortCase{"NoSignature", hex("68 0D 0D 68 53 FE 51 07 79 04 03 02 01 24 40 01 04 95 16"), 0, 0, "",
                     "", ""},
        CutShortCase{"OneSignatureByte", headerWithSignature(1), 0, 0, "", "", ""},
        CutShortCase{"SignatureOnly", headerWithSignature(2), 0, 0, "", "", ""},
        // Synthetic shapes on a water meter.
        CutShortCase{"LastDataByteBeforeTheChecksum", waterRecords("04 13 39 30 00 00 02 5A D2 02"), 2, 0,
                     "12.345", "m3", "72.200 deg. C"},
        CutShortCase{"DataOneByteIntoTheChecksum", waterRecords("02 5A D2 02 04 13 39 30 00"), 1, 2, "", "",
                     "72.200 deg. C"},
        CutShortCase{"DataOfTheFirstRecordShort", waterRecords("04 13 39 30"), 0, 1, "", "", ""},
        CutShortCase{"HeaderAtTheChecksum", waterRecords("04 13 39 30 00 00 84 10 13"), 1, 0, "12.345", "m3",
                     ""},
        CutShortCase{"VariableLengthShort", waterRecords("04 13 39 30 00 00 0D 13 05 41 42"), 1, 2, "12.345",
                     "m3", ""},
        CutShortCase{"LvarCountPastTheEnd", waterRecords("04 13 39 30 00 00 0D 13 C4 12"), 1, 2, "12.345",
                     "m3", ""},
        CutShortCase{"TwelveDigitBcdShort", waterRecords("0E 13 01 02 03"), 0, 1, "", "", ""},
        CutShortCase{"PlainTextLengthPastTheEnd", waterRecords("02 5A D2 02 04 7C 09 6B 57 68"), 1, 2, "", "",
                     "72.200 deg. C"},
        CutShortCase{"PlainTextDataShort", waterRecords("04 13 39 30 00 00 04 7C 03 6B 57 68 39 30"), 1, 2,
                     "12.345", "m3", ""},
        CutShortCase{"FillersBeforeTheCut", waterRecords("2F 04 13 39 30 00 00 2F 2F 04 13 39"), 1, 2,
                     "12.345", "m3", ""}),
    [](const ::testing::TestParamInfo<CutShortCase>& p) { return std::string(p.param.name); });

TEST(DecodeResponseTest, HeaderWithoutSignatureFillsTheRow) {
    const DecodeResult result =
        decodeResponse(hex("68 0D 0D 68 53 FE 51 07 79 04 03 02 01 24 40 01 04 95 16"), {});
    ASSERT_TRUE(result.ok);
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->id, QStringLiteral("03047907"));
    EXPECT_EQ(result.row->address, QStringLiteral("254"));
    EXPECT_EQ(result.row->manufacturer, QStringLiteral("@HB"));
    EXPECT_EQ(result.row->status, QStringLiteral("04"));
    EXPECT_TRUE(result.records.isEmpty());
}

struct OpenHeaderCase {
    const char* name;
    const char* records;
    int rows;
};

class OpenHeaderTest : public ::testing::TestWithParam<OpenHeaderCase> {};

TEST_P(OpenHeaderTest, RecordHeaderRunningIntoTheChecksumEndsTheWalk) {
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", GetParam().records), {});
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.records.size(), GetParam().rows);
    EXPECT_EQ(result.log.size(), 1) << result.log.join(QLatin1Char('|')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Records, OpenHeaderTest,
    ::testing::Values(OpenHeaderCase{"DifOnly", "04 13 39 30 00 00 04", 1},
                      OpenHeaderCase{"DifeChain", "04 13 39 30 00 00 84 80", 1},
                      OpenHeaderCase{"VifeChain", "04 13 39 30 00 00 04 93 BB", 1},
                      OpenHeaderCase{"TextVifWithoutLength", "04 13 39 30 00 00 04 7C", 1},
                      // A record without data may end right before the checksum.
                      OpenHeaderCase{"NoData", "04 13 39 30 00 00 00 13", 2}),
    [](const ::testing::TestParamInfo<OpenHeaderCase>& p) { return std::string(p.param.name); });

TEST(DecodeResponseTest, FullReadWritesTheReportAndNoRow) {
    DecodeOptions options;
    options.fullRead = true;
    options.reportStamp = QStringLiteral("10:11:12, 08/12/2026");
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", "2F 04 13 39 30 00 00 1F 01"), options);
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.row.has_value());
    EXPECT_TRUE(result.showReport);
    EXPECT_TRUE(result.moreRecordsPending);
    EXPECT_EQ(result.reportLines,
              (QStringList{
                  QStringLiteral("ID:12345678, Mfr: ABC, Main medium: Water"),
                  QStringLiteral("Access counter: 5, Status: 00, Model: Unknown"),
                  QStringLiteral("DIF:2F, Idle filtering, skipping..."),
                  QStringLiteral("DIF,DIFE=04 ; VIF, VIFE=13 ; Instantenous value , 12.345 m3, "),
                  QStringLiteral("DIF:1F, Manufacturer specific: 01 "),
                  QStringLiteral("Decoded at 10:11:12, 08/12/2026"),
                  QString(),
              }));
    ASSERT_EQ(result.gridDataRows.size(), 5);
    EXPECT_EQ(result.gridDataRows[0],
              (QStringList{QStringLiteral("ID:12345678"), QStringLiteral("Mfr:ABC"),
                           QStringLiteral("Main medium: Water"),
                           QStringLiteral("Access Counter: 5, Status: 00, Model: Unknown"), QString()}));
    EXPECT_EQ(result.gridDataRows[1],
              (QStringList{QStringLiteral("Instantenous value "), QStringLiteral("12.345"),
                           QStringLiteral("m3"), QString(), QString()}));
    EXPECT_EQ(result.gridDataRows[3][0], QStringLiteral("Decoded at 10:11:12, 08/12/2026"));
    EXPECT_EQ(result.gridDataRows[4], QStringList(5, QString()));
}

TEST(DecodeResponseTest, FullReadOfZpaWalksTheRecords) {
    DecodeOptions options;
    options.fullRead = true;
    const DecodeResult result = decodeResponse(telegram(kZpa, "02", "04 13 39 30 00 00"), options);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.records.size(), 1);
}

TEST(DecodeResponseTest, ZpaRegistersAreAdded) {
    // Register 1: BCD 12345 with VIF 0x03 (Wh); register 2: BCD 100 with VIF 0x06 (kWh).
    const char* records = "0C 00 03 00 45 23 01 00 00 00 0C 00 06 00 00 01 00 00";
    const DecodeResult result = decodeResponse(telegram(kZpa, "02", records), extra(3));
    ASSERT_TRUE(result.ok);
    ASSERT_TRUE(result.row.has_value());
    EXPECT_EQ(result.row->manufacturer, QStringLiteral("ZPA"));
    EXPECT_EQ(result.row->value, QStringLiteral("112.345"));
    EXPECT_EQ(result.row->unit, QStringLiteral("kWh"));
    EXPECT_EQ(result.row->extra,
              (QStringList{QStringLiteral("12.345"), QStringLiteral("100.000"), QString()}));
    EXPECT_TRUE(result.records.isEmpty());
}

TEST(DecodeResponseTest, ZpaTelegramTooShortForItsRegisters) {
    const DecodeResult result =
        decodeResponse(telegram(kZpa, "02", "0C 00 03 00 45 23 01 00 00 00 0C 00 06"), {});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.row.has_value());
    EXPECT_EQ(result.log.last(), QStringLiteral("Unknown exception decoding ZPA meter..."));
}

// Places the eight digits of value in the frame's hex digits at the given positions (digit 2k is the high
// nibble of byte k), then fixes the checksum.
QByteArray withDigits(QByteArray frame, const std::vector<int>& positions, const char* digits) {
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const int k = positions[i];
        const int value = QByteArray(1, digits[i]).toInt(nullptr, 16);
        auto byte = static_cast<std::uint8_t>(frame[k / 2]);
        byte = (k % 2 == 0) ? static_cast<std::uint8_t>((byte & 0x0F) | (value << 4))
                            : static_cast<std::uint8_t>((byte & 0xF0) | value);
        frame[k / 2] = static_cast<char>(byte);
    }
    frame[frame.size() - 2] =
        static_cast<char>(codec::checksum(frame, 4, static_cast<int>(frame.size()) - 3));
    return frame;
}

struct ApatorCase {
    const char* name;
    std::uint8_t selector;
    int s;
    const char* digits; // byte 19 keeps the manufacturer-data DIF
    const char* value;
};

class ApatorTest : public ::testing::TestWithParam<ApatorCase> {};

TEST_P(ApatorTest, SelectorChoosesTheDigits) {
    // Manufacturer data from byte 19 up to the end; the selector is byte 38.
    QByteArray frame =
        telegram(kApa, "07", "0F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    frame[38] = static_cast<char>(GetParam().selector);
    const int s = GetParam().s;
    frame = withDigits(frame, {s + 5, s + 6, s + 3, s + 4, s + 1, s + 2, s - 1, s}, GetParam().digits);
    DecodeOptions options = extra(1);
    options.apator = true;
    const DecodeResult result = decodeResponse(frame, options);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_EQ(result.records[1].number, QStringLiteral("2"));
    EXPECT_EQ(result.records[1].value, QString::fromLatin1(GetParam().value));
    EXPECT_EQ(result.records[1].unit, QStringLiteral("m3"));
    EXPECT_EQ(result.records[1].qualifier, QStringLiteral("Apator"));
    // On a water meter the value becomes the row's main value.
    EXPECT_EQ(result.row->value, QString::fromLatin1(GetParam().value));
    EXPECT_EQ(result.row->extra, QStringList{QString()});
    EXPECT_EQ(result.gridDataRows.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Selectors, ApatorTest,
                         ::testing::Values(ApatorCase{"S84", 0x84, 50, "00003039", "12.345"},
                                           ApatorCase{"S83", 0x83, 50, "00003039", "12.345"},
                                           ApatorCase{"S81", 0x81, 50, "00003039", "12.345"},
                                           ApatorCase{"S40", 0x40, 47, "00003039", "12.345"},
                                           ApatorCase{"S10", 0x10, 39, "0000300F", "12.303"},
                                           ApatorCase{"S01", 0x01, 36, "00F00000", "15728.640"},
                                           ApatorCase{"Other", 0x00, 50, "00003039", "12.345"}),
                         [](const ::testing::TestParamInfo<ApatorCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(ApatorValueTest, LittleEndianNumberInBytes23To26) {
    QByteArray frame =
        telegram(kApa, "07", "0F 00 00 00 39 30 00 00 00 00 00 00 00 00 00 00 00 00 00 40 00 00");
    DecodeOptions options;
    options.apator = true;
    const DecodeResult result = decodeResponse(frame, options);
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_EQ(result.records[1].value, QStringLiteral("12.345"));
}

TEST(ApatorValueTest, NotDecodedWithoutTheSetting) {
    const QByteArray frame =
        telegram(kApa, "07", "0F 00 00 00 39 30 00 00 00 00 00 00 00 00 00 00 00 00 00 40 00 00");
    EXPECT_EQ(decodeResponse(frame, {}).records.size(), 1);
}

TEST(ApatorValueTest, TelegramTooShortForTheDigitsKeepsTheRows) {
    DecodeOptions options;
    options.apator = true;
    const DecodeResult result = decodeResponse(telegram(kApa, "07", "04 13 39 30 00 00 1F 00 00"), options);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.moreRecordsPending);
    ASSERT_EQ(result.records.size(), 2);
    EXPECT_TRUE(result.log.last().startsWith(QStringLiteral("Exception Apator - ")))
        << result.log.last().toStdString();
    EXPECT_EQ(result.row->value, QStringLiteral("12.345"));
}

TEST(DecodeResponseTest, CommaDecimalSeparator) {
    DecodeOptions options;
    options.decimalSeparator = QLatin1Char(',');
    const DecodeResult result = decodeResponse(telegram(kAbc, "07", "04 13 39 30 00 00"), options);
    EXPECT_EQ(result.row->value, QStringLiteral("12,345"));
}

TEST(DecodeResponseTest, ExtraUnitsListIsExact) {
    EXPECT_EQ(extraValueUnits().size(), 17);
    EXPECT_TRUE(extraValueUnits().contains(QStringLiteral("Volts, 10^-3")));
    EXPECT_FALSE(extraValueUnits().contains(QStringLiteral("kJ")));
    EXPECT_FALSE(extraValueUnits().contains(QStringLiteral("KWh")));
}

TEST(DecodeResponseTest, EveryPrefixOfATelegramDecodesSafely) {
    const QByteArray frame =
        telegram(kApa, "07", "04 13 39 30 00 00 84 10 FD 46 01 02 03 04 0D 7C 02 41 42 C2 12 34 1F 01 02 03");
    DecodeOptions options = extra(15);
    options.apator = true;
    for (int n = 0; n <= frame.size(); ++n) {
        const QByteArray part = frame.left(n);
        const DecodeResult result = decodeResponse(part, options);
        EXPECT_FALSE(result.log.isEmpty());
        if (result.row) {
            EXPECT_EQ(result.row->extra.size(), 15);
        }
    }
    EXPECT_EQ(
        units(decodeResponse(frame, {})),
        (QStringList{QStringLiteral("m3"), QStringLiteral("Volts, 10^-3"), QStringLiteral("AB"), QString()}));
}

} // namespace
} // namespace holvex::mbus
