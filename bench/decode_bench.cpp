// Decoding speed of the response decoder over a mix of hand-made telegrams of several media and sizes.
#include "codec/frame_codec.h"
#include "mbus/response_decoder.h"

#include <benchmark/benchmark.h>

#include <QVector>

namespace {

QByteArray telegram(const char* header, const char* records) {
    const QByteArray data = QByteArray::fromHex(QByteArray(header) + QByteArray(records));
    return holvex::codec::longFrame(0x08, 0x05, 0x72, data);
}

QVector<QByteArray> telegrams() {
    QVector<QByteArray> frames;
    // Water meter: volume and a date (26 bytes).
    frames.append(telegram("785634124304210705000000", "0413393000000"
                                                       "26C"
                                                       "E134"));
    // Heat meter: energy, volume, power, flow, temperatures, date-time, fabrication number, stored values.
    frames.append(telegram("214365872D2C1B0411200000", "0406102700000413393000000"
                                                       "42B"
                                                       "E8030000"
                                                       "043B"
                                                       "78000000"
                                                       "025A"
                                                       "D202"
                                                       "025E"
                                                       "A401"
                                                       "0261"
                                                       "2E01"
                                                       "046D"
                                                       "2B0E7D13"
                                                       "0C78"
                                                       "78563412"
                                                       "4406"
                                                       "00270000"
                                                       "426C"
                                                       "E134"
                                                       "8401"
                                                       "06"
                                                       "11110000"
                                                       "C40106"
                                                       "22220000"
                                                       "1F"
                                                       "0102030405"));
    // Electricity meter with tariffs, extension VIFs and a real value.
    frames.append(telegram("907856344D2512021F000000", "0E0345230100"
                                                       "0000"
                                                       "8E10"
                                                       "03"
                                                       "452301000000"
                                                       "8E20"
                                                       "03"
                                                       "111111000000"
                                                       "04FD46"
                                                       "E6000000"
                                                       "04FD59"
                                                       "0A000000"
                                                       "052B"
                                                       "0000803F"
                                                       "022B"
                                                       "E803"
                                                       "04FD17"
                                                       "00000000"));
    // Gas meter with a plain-text unit and variable-length data.
    frames.append(telegram("112233444D2501030A000000", "047C03"
                                                       "6B5768"
                                                       "39300000"
                                                       "0D78"
                                                       "08"
                                                       "3132333435363738"
                                                       "0413"
                                                       "39300000"
                                                       "0F"
                                                       "AABB"));
    // A long heat telegram near the 250-byte limit: eighteen storage records and manufacturer data.
    QByteArray longRecords = "2F2F";
    for (int i = 0; i < 18; ++i) {
        longRecords += "C40106";
        longRecords += QByteArray::number(0x10000000 + i * 0x01010101, 16).right(8);
        longRecords += "C2016C";
        longRecords += "E134";
    }
    longRecords += "0F01020304";
    frames.append(telegram("998877662D2C1B0C33000000", longRecords.constData()));
    return frames;
}

void BM_DecodeResponse(benchmark::State& state) {
    const QVector<QByteArray> frames = telegrams();
    holvex::mbus::DecodeOptions options;
    options.extraTitleCount = static_cast<int>(state.range(0));
    for (const QByteArray& frame : frames) {
        if (!holvex::mbus::decodeResponse(frame, options).ok) {
            state.SkipWithError("a telegram of the mix does not decode");
            return;
        }
    }
    qsizetype bytes = 0;
    for (auto _ : state) {
        for (const QByteArray& frame : frames) {
            holvex::mbus::DecodeResult result = holvex::mbus::decodeResponse(frame, options);
            benchmark::DoNotOptimize(result);
            bytes += frame.size();
        }
    }
    state.SetItemsProcessed(state.iterations() * frames.size());
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_DecodeResponse)->Arg(0)->Arg(5);

void BM_FullRead(benchmark::State& state) {
    const QVector<QByteArray> frames = telegrams();
    holvex::mbus::DecodeOptions options;
    options.fullRead = true;
    for (auto _ : state) {
        for (const QByteArray& frame : frames) {
            holvex::mbus::DecodeResult result = holvex::mbus::decodeResponse(frame, options);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * frames.size());
}
BENCHMARK(BM_FullRead);

} // namespace
