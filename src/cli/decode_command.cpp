#include "cli/commands.h"

#include "cli/json_text.h"
#include "cli/record_json.h"
#include "mbus/response_decoder.h"

#include <QByteArray>
#include <QFile>
#include <QTextStream>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>

namespace holvex::cli {

namespace {

constexpr int kMaxExtra = 15;

struct DecodeArguments {
    mbus::DecodeOptions options;
    std::optional<QString> batchFile;
    QStringList hexParts;
};

int fail(const QString& message) {
    QTextStream(stderr) << "holvex-cli decode: " << message << '\n';
    return 2;
}

// Each byte's value as a hex digit; -1 for a blank, -2 for anything else.
constexpr std::array<signed char, 256> kHexDigitValues = [] {
    std::array<signed char, 256> values{};
    values.fill(-2);
    for (const char blank : {' ', '\t', '\r', '\n'}) {
        values[static_cast<unsigned char>(blank)] = -1;
    }
    for (int digit = 0; digit < 10; ++digit) {
        values['0' + digit] = static_cast<signed char>(digit);
    }
    for (int digit = 0; digit < 6; ++digit) {
        values['A' + digit] = static_cast<signed char>(10 + digit);
        values['a' + digit] = static_cast<signed char>(10 + digit);
    }
    return values;
}();

// Hex text with blanks allowed anywhere between digits, into `bytes` (its memory is kept from line to line);
// false for any other character or an odd digit count.
bool parseHexInto(QByteArrayView text, QByteArray& bytes) {
    bytes.resize(text.size() / 2);
    char* dst = bytes.data();
    const auto digitValue = [](char ch) {
        return kHexDigitValues[static_cast<unsigned char>(ch)];
    };
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const int high = digitValue(*p++);
        if (high == -1) {
            continue;
        }
        if (high < 0) {
            return false;
        }
        while (p < end && digitValue(*p) == -1) { // blanks may sit between a byte's two digits too
            ++p;
        }
        if (p == end) {
            return false;
        }
        const int low = digitValue(*p++);
        if (low < 0) {
            return false;
        }
        *dst++ = static_cast<char>((high << 4) | low);
    }
    bytes.resize(dst - bytes.constData());
    return true;
}

// One compact JSON object for a decode, followed by a newline.
template <class Out> void appendResultJson(Out& out, const mbus::DecodeResult& result) {
    appendJsonRaw(out, result.ok ? "{\"ok\":true,\"log\":[" : "{\"ok\":false,\"log\":[");
    for (int i = 0; i < result.log.size(); ++i) {
        if (i > 0) {
            appendJsonRaw(out, ",");
        }
        appendJsonString(out, result.log[i]);
    }
    appendJsonRaw(out, "],\"row\":");
    if (result.row) {
        const MeterRow& row = *result.row;
        appendJsonRaw(out, "{");
        appendJsonField(out, "id", row.id);
        appendJsonField(out, "address", row.address);
        appendJsonField(out, "manufacturer", row.manufacturer);
        appendJsonField(out, "value", row.value);
        appendJsonField(out, "unit", row.unit);
        appendJsonField(out, "medium", row.medium);
        appendJsonField(out, "status", row.status);
        appendJsonField(out, "pulse", row.pulse);
        appendJsonField(out, "model", row.model);
        appendJsonField(out, "battery", row.battery);
        appendJsonRaw(out, "\"extra\":[");
        for (int i = 0; i < row.extra.size(); ++i) {
            if (i > 0) {
                appendJsonRaw(out, ",");
            }
            appendJsonString(out, row.extra[i]);
        }
        appendJsonRaw(out, "]}");
    } else {
        appendJsonRaw(out, "null");
    }
    appendJsonRaw(out, ",\"records\":");
    appendRecordsJson(out, result.records);
    appendJsonRaw(out,
                  result.moreRecordsPending ? ",\"more_records\":true}\n" : ",\"more_records\":false}\n");
}

std::optional<QByteArray> readAll(const QString& name) {
    QFile file;
    const bool opened = name == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened) {
        return std::nullopt;
    }
    return file.readAll();
}

bool writeOut(const char* bytes, qsizetype size) {
    return std::fwrite(bytes, 1, static_cast<std::size_t>(size), stdout) == static_cast<std::size_t>(size) &&
           std::fflush(stdout) == 0;
}

// Parses the options; returns an error message, or nothing when they are good.
std::optional<QString> parseArguments(const QStringList& arguments, DecodeArguments& parsed) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--extra")) {
            if (i + 1 >= arguments.size()) {
                return QStringLiteral("--extra needs a number from 0 to 15");
            }
            bool ok = false;
            const int count = arguments[++i].toInt(&ok);
            if (!ok || count < 0 || count > kMaxExtra) {
                return QStringLiteral("--extra needs a number from 0 to 15");
            }
            parsed.options.extraTitleCount = count;
        } else if (argument == QLatin1String("--apator")) {
            parsed.options.apator = true;
        } else if (argument == QLatin1String("--batch")) {
            if (i + 1 >= arguments.size()) {
                return QStringLiteral("--batch needs a file name or -");
            }
            parsed.batchFile = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option ") + argument;
        } else {
            parsed.hexParts.append(argument);
        }
    }
    if (parsed.batchFile && !parsed.hexParts.isEmpty()) {
        return QStringLiteral("give either --batch FILE or the hex text, not both");
    }
    return std::nullopt;
}

// The object written for a batch line that is not hex text.
void appendBadLineJson(JsonBuffer& out, int lineNumber) {
    out.append("{\"ok\":false,\"line\":");
    char digits[16];
    const auto number = std::to_chars(std::begin(digits), std::end(digits), lineNumber);
    out.append(std::string_view(digits, number.ptr));
    out.append(",\"error\":\"bad hex text\"}\n");
}

// One object per line that is not blank, in line order; a line that is not hex text gets its error object
// and the batch goes on. Returns 1 when any line was bad, 0 otherwise, 2 when the file cannot be read or
// the output cannot be written.
int runBatch(const QString& name, const mbus::DecodeOptions& options) {
    const std::optional<QByteArray> content = readAll(name);
    if (!content) {
        return fail(QStringLiteral("cannot read ") + name);
    }
    bool anyBad = false;
    int lineNumber = 0;
    JsonBuffer out;
    out.room(2 << 20); // two megabytes at once: a block is written out once it passes one
    QByteArray frame;
    const char* from = content->constData();
    const char* const all = from + content->size();
    while (from < all) {
        const char* to =
            static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(all - from)));
        if (to == nullptr) {
            to = all;
        }
        const QByteArrayView line(from, to - from);
        from = to + 1;
        ++lineNumber;
        if (line.trimmed().isEmpty()) {
            continue;
        }
        if (parseHexInto(line, frame)) {
            appendResultJson(out, mbus::decodeResponse(frame, options));
        } else {
            appendBadLineJson(out, lineNumber);
            anyBad = true;
        }
        if (out.size() > (1 << 20)) {
            if (!writeOut(out.data(), out.size())) {
                return fail(QStringLiteral("cannot write the output"));
            }
            out.clear();
        }
    }
    if (!writeOut(out.data(), out.size())) {
        return fail(QStringLiteral("cannot write the output"));
    }
    return anyBad ? 1 : 0;
}

} // namespace

int runDecodeCommand(const QStringList& arguments) {
    DecodeArguments parsed;
    parsed.options.reportGrid = false; // only the record table and the meter row are printed
    if (const std::optional<QString> error = parseArguments(arguments, parsed)) {
        return fail(*error);
    }
    if (parsed.batchFile) {
        return runBatch(*parsed.batchFile, parsed.options);
    }
    QByteArray text;
    if (parsed.hexParts.isEmpty() || parsed.hexParts == QStringList{QStringLiteral("-")}) {
        const std::optional<QByteArray> input = readAll(QStringLiteral("-"));
        if (!input) {
            return fail(QStringLiteral("cannot read standard input"));
        }
        text = *input;
    } else {
        text = parsed.hexParts.join(QLatin1Char(' ')).toLatin1();
        // A non-Latin-1 character would become '?', which the hex check refuses.
    }
    QByteArray reply;
    if (!parseHexInto(text, reply)) {
        return fail(QStringLiteral("bad hex text"));
    }
    JsonBuffer out;
    appendResultJson(out, mbus::decodeResponse(reply, parsed.options));
    return writeOut(out.data(), out.size()) ? 0 : fail(QStringLiteral("cannot write the output"));
}

} // namespace holvex::cli
