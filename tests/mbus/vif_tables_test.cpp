#include "mbus/decode_error.h"
#include "mbus/vif_extension_tables.h"
#include "mbus/vif_tables.h"
#include "test_support.h"

#include "qstring_print.h"

#include <gtest/gtest.h>

using namespace holvex::mbus;
using holvex::test::hex;

namespace {

constexpr int kVifPos = 20;

// A frame with a DIF at byte 19, then the given VIF bytes and data, then checksum and stop byte.
QByteArray telegram(const char* vifAndData) {
    return QByteArray(19, '\0') + hex("04") + hex(vifAndData) + hex("00 16");
}

// The first data byte: after the VIF and every VIFE with the extension bit.
int dataStart(const QByteArray& frame) {
    int p = kVifPos;
    while (p < frame.size() - 2 && (static_cast<quint8>(frame[p]) & 0x80) != 0) {
        ++p;
    }
    return p + 1;
}

VifResult lookup(const char* vifAndData) {
    const QByteArray frame = telegram(vifAndData);
    return lookupVif(frame, kVifPos, dataStart(frame),
                     QString::fromLatin1(hex(vifAndData).left(1).toHex().toUpper()));
}

} // namespace

TEST(LookupVif, PrimaryTable) {
    struct Case {
        quint8 vif;
        const char* unit;
        const char* qualifier;
        double multiplier;
    };
    const Case cases[] = {
        {0x00, "kWh", "", 1e-6},
        {0x03, "kWh", "", 1e-3},
        {0x06, "kWh", "", 1},
        {0x07, "kWh", "", 10},
        {0x08, "kJ", "", 1e-3},
        {0x0D, "kJ", "", 100},
        {0x0E, "MJ", "", 1},
        {0x0F, "MJ", "", 10},
        {0x10, "m3", "", 1e-6},
        {0x13, "m3", "", 1e-3},
        {0x17, "m3", "", 10},
        {0x20, "On Time", "seconds", 1},
        {0x21, "On Time", "minutes", 1},
        {0x22, "On Time", "hours", 1},
        {0x23, "On Time", "days", 1},
        {0x24, "Operating Time", "seconds", 1},
        {0x27, "Operating Time", "days", 1},
        {0x28, "W", "", 1e-3},
        {0x2D, "W", "", 100},
        {0x2E, "kW", "", 1},
        {0x2F, "kW", "", 10},
        {0x30, "J/h", "", 1},
        {0x36, "J/h", "", 1e6},
        {0x38, "l/h", "Debit", 1e-3},
        {0x3B, "l/h", "Debit", 1},
        {0x3F, "l/h", "Debit", 1e4},
        {0x58, "deg. C", "Flow Temp.", 1e-3},
        {0x5B, "deg. C", "Flow Temp.", 1},
        {0x5C, "deg. C", "Return Temp.", 1e-3},
        {0x5F, "deg. C", "Return Temp.", 1},
        {0x60, "deg. K", "TDiff", 1e-3},
        {0x63, "deg. K", "TDiff", 1},
        {0x64, "deg. C", "External Temperature", 1e-3},
        {0x67, "deg. C", "External Temperature", 1},
        {0x68, "mbar", "", 1},
        {0x6A, "mbar", "", 100},
        {0x6C, "Time point", "Date (dd.mm.yyyy)", 1},
        {0x6D, "Time point", "Date and time (hh:mm, dd.mm.yyyy)", 1},
        {0x6E, "N/A", "", 1},
        {0x70, "Average duration", "", 1},
        {0x74, "Actuality Duration", "", 1},
        {0x78, "Fabr. No.", "", 1},
        {0x18, "Not supported", "", 1},
        {0x1F, "Not supported", "", 1},
        {0x37, "Not supported", "", 1},
        {0x40, "Not supported", "", 1},
        {0x57, "Not supported", "", 1},
        {0x6B, "Not supported", "", 1},
        {0x6F, "Not supported", "", 1},
        {0x71, "Not supported", "", 1},
        {0x77, "Not supported", "", 1},
        {0x79, "Not supported", "", 1},
        {0x7A, "Not supported", "", 1},
        // The extension bit is cleared for 0x80..0xEF, not for 0xF0..0xFA.
        {0x93, "m3", "", 1e-3},
        {0xE8, "mbar", "", 1},
        {0xED, "Time point", "Date and time (hh:mm, dd.mm.yyyy)", 1},
        {0xF8, "Not supported", "", 1},
        {0xF0, "Not supported", "", 1},
        {0xFA, "Not supported", "", 1},
        // Special codes.
        {0x7F, "Manufacturer specific", "", 1},
        {0xFF, "Manufacturer specific", "", 1},
        {0x7E, "Readout - not supported for now", "", 1},
        {0xFE, "Readout - not supported for now", "", 1},
    };
    for (const Case& c : cases) {
        // A VIFE follows every VIF with the extension bit; data after it.
        QByteArray frame = QByteArray(19, '\0') + hex("04") + QByteArray(1, static_cast<char>(c.vif));
        if ((c.vif & 0x80) != 0) {
            frame += hex("3C");
        }
        frame += hex("01 02 03 04 00 16");
        const VifResult r = lookupVif(frame, kVifPos, dataStart(frame), QString());
        EXPECT_EQ(r.unit, QString::fromLatin1(c.unit)) << int(c.vif);
        EXPECT_EQ(r.qualifier, QString::fromLatin1(c.qualifier)) << int(c.vif);
        EXPECT_DOUBLE_EQ(r.multiplier, c.multiplier) << int(c.vif);
    }
}

TEST(LookupVif, PlainText) {
    VifResult r = lookup("7C 03 6B 57 68 01 00 00 00");
    EXPECT_EQ(r.unit, QStringLiteral("kWh"));
    EXPECT_EQ(r.qualifier, QStringLiteral("text"));
    EXPECT_DOUBLE_EQ(r.multiplier, 1.0);

    r = lookup("FC 02 41 42 74 01 00 00 00");
    EXPECT_EQ(r.unit, QStringLiteral("VIF is user ASCII string: AB"));
    EXPECT_EQ(r.qualifier, QStringLiteral("text"));

    // A zero length leaves the default result.
    r = lookup("7C 00 01 00 00 00");
    EXPECT_EQ(r.unit, QStringLiteral("Not supported"));
    EXPECT_TRUE(r.qualifier.isEmpty());
    r = lookup("FC 00 00 01 00 00 00");
    EXPECT_EQ(r.unit, QStringLiteral("Not supported"));
    EXPECT_TRUE(r.qualifier.isEmpty());
}

TEST(LookupVif, BytesPastTheChecksumAreRaised) {
    // Text length beyond the checksum, length byte at the checksum, extension selector at the checksum.
    for (const char* bytes : {"7C 10 41 42", "7C 03 41 42", "FC 05 41", "7C", "FD", "FB", "7D", "7B"}) {
        const QByteArray frame = telegram(bytes);
        EXPECT_THROW(lookupVif(frame, kVifPos, dataStart(frame), QString()), DecodeError) << bytes;
    }
    EXPECT_THROW(lookupVif(hex("00 16"), 5, 6, QString()), DecodeError);
    // The text just fits before the checksum.
    EXPECT_EQ(lookup("7C 02 41 42").unit, QStringLiteral("AB"));
}

TEST(LookupVif, Extensions) {
    struct Case {
        const char* bytes;
        const char* unit;
        double multiplier;
    };
    const Case cases[] = {
        {"FD 46 00 00", "Volts, 10^-3", 1}, {"FD 1A 00", "Digitial Output (binary)", 1},
        {"FD C6 00 00", "Volts, 10^-3", 1}, {"7D 08 00", "Access Number", 1},
        {"FB 80 00 00 00 00", "kWh", 100},  {"FB 01 00 00 00 00", "kWh", 1000},
        {"7B 11 00", "m3", 1000},           {"FB 8F 00", "Reserved", 1},
    };
    for (const Case& c : cases) {
        const VifResult r = lookup(c.bytes);
        EXPECT_EQ(r.unit, QString::fromLatin1(c.unit)) << c.bytes;
        EXPECT_TRUE(r.qualifier.isEmpty()) << c.bytes;
        EXPECT_DOUBLE_EQ(r.multiplier, c.multiplier) << c.bytes;
    }
}

TEST(VifExtensionFD, Table) {
    struct Case {
        quint8 code;
        const char* unit;
    };
    const Case cases[] = {
        {0x00, "Credit in currency units"},
        {0x03, "Credit in currency units"},
        {0x04, "Debit in currency units"},
        {0x07, "Debit in currency units"},
        {0x08, "Access Number"},
        {0x09, "Medium"},
        {0x0A, "Manufacturer"},
        {0x0B, "Enhanced identification"},
        {0x0C, "Model/Version"},
        {0x0D, "Hardware version No."},
        {0x0E, "Firmware version No."},
        {0x0F, "Software version No."},
        {0x10, "Customer location"},
        {0x11, "Customer"},
        {0x12, "Access code user"},
        {0x13, "Access code operator"},
        {0x14, "VIF not supported"},
        {0x15, "VIF not supported"},
        {0x16, "Password"},
        {0x17, "Error flags"},
        {0x18, "Error mask"},
        {0x19, "Reserved"},
        {0x1A, "Digitial Output (binary)"},
        {0x1B, "Digitial Input (binary)"},
        {0x1C, "Baudrate"},
        {0x1D, "Response Delay time"},
        {0x1E, "Retry"},
        {0x1F, "Reserved"},
        {0x20, "VIF not supported"},
        {0x3A, "Dimensionless"},
        {0x40, "Volts, 10^-9"},
        {0x49, "Volts, 10^0"},
        {0x4F, "Volts, 10^6"},
        {0x50, "Ampers, 10^-12"},
        {0x55, "Ampers, 10^-7"},
        {0x56, "VIF not supported"},
        {0x7F, "VIF not supported"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vifExtensionFd(c.code), QString::fromLatin1(c.unit)) << int(c.code);
    }
}

TEST(VifExtensionFB, Table) {
    struct Case {
        quint8 code;
        const char* unit;
        double multiplier;
    };
    const Case cases[] = {
        {0x00, "kWh", 100},
        {0x01, "kWh", 1000},
        {0x02, "Reserved", 1},
        {0x07, "Reserved", 1},
        {0x08, "GJ", 0.1},
        {0x09, "GJ", 1},
        {0x0A, "Reserved", 1},
        {0x0F, "Reserved", 1},
        {0x10, "m3", 100},
        {0x11, "m3", 1000},
        {0x12, "VIF not supported", 1},
        {0x27, "VIF not supported", 1},
        {0x28, "kW", 100},
        {0x29, "kW", 1000},
        {0x2A, "Reserved", 1},
        {0x2F, "Reserved", 1},
        {0x30, "VIF not supported", 1},
        {0x57, "VIF not supported", 1},
        {0x58, "Flow Temperature, deg. F", 0.001},
        {0x59, "Flow Temperature, deg. F", 0.01},
        {0x5A, "Flow Temperature, deg. F", 0.1},
        {0x5B, "Flow Temperature, F", 1},
        {0x5C, "Return Temperature, deg. F", 0.001},
        {0x5F, "Return Temperature, deg. F", 1},
        {0x60, "Temp. difference, deg. F", 0.001},
        {0x62, "Temp. difference, deg. F", 0.1},
        {0x63, "Temp. difference, F", 1},
        {0x64, "External temperature, deg. F", 0.001},
        {0x67, "External temperature, deg. F", 1},
        {0x68, "Reserved", 1},
        {0x6F, "Reserved", 1},
        {0x70, "VIF not supported", 1},
        {0x7F, "VIF not supported", 1},
    };
    for (const Case& c : cases) {
        const VifExtensionFbEntry e = vifExtensionFb(c.code);
        EXPECT_EQ(e.unit, QString::fromLatin1(c.unit)) << int(c.code);
        EXPECT_DOUBLE_EQ(e.multiplier, c.multiplier) << int(c.code);
    }
}
