#include "devices/receiver/telegram_finder.h"

namespace holvex::receiver {

namespace {

constexpr char kStart = 0x68;
constexpr char kEnd = 0x16;

enum class Candidate { Telegram, Open, Dead };

struct CandidateResult {
    Candidate kind = Candidate::Dead;
    qsizetype end = -1; // position of the end byte for a telegram
};

CandidateResult examine(const QByteArray& buffer, qsizetype i) {
    const qsizetype size = buffer.size();
    if (i + 1 >= size) {
        return {Candidate::Open, -1}; // the length byte has not come yet
    }
    const int length = static_cast<quint8>(buffer[i + 1]);
    const qsizetype first = i + length + 1;
    const qsizetype last = i + length + 2 + kMaxAddedBytes;
    for (qsizetype j = first; j <= last && j < size; ++j) {
        if (buffer[j] == kEnd) {
            return {Candidate::Telegram, j};
        }
    }
    return {last < size ? Candidate::Dead : Candidate::Open, -1};
}

} // namespace

TelegramScan scanTelegrams(const QByteArray& buffer) {
    TelegramScan scan;
    if (buffer.isEmpty()) {
        return scan;
    }
    if (buffer == QByteArrayLiteral("Done!\n")) {
        scan.outcome = ScanOutcome::Done;
        scan.consumed = static_cast<int>(buffer.size());
        scan.purgePort = true;
        return scan;
    }

    const qsizetype size = buffer.size();
    qsizetype from = 0; // bytes before this position are used up
    qsizetype i = 0;
    while (true) {
        i = buffer.indexOf(kStart, i);
        if (i < 0) {
            from = size; // nothing left that could start a telegram
            break;
        }
        const CandidateResult candidate = examine(buffer, i);
        if (candidate.kind == Candidate::Open) {
            from = i;
            break;
        }
        if (candidate.kind == Candidate::Telegram) {
            scan.telegrams.append(buffer.mid(i, candidate.end - i + 1));
            i = candidate.end + 1;
            from = i;
            continue;
        }
        ++i;
        from = i;
    }
    scan.consumed = static_cast<int>(from);
    scan.outcome = scan.telegrams.isEmpty() ? ScanOutcome::Waiting : ScanOutcome::Telegrams;
    return scan;
}

} // namespace holvex::receiver
