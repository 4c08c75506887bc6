#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace holvex {

// The flags, counters and reply buffers that the main window's operations share. One instance lives in the
// main controller and is passed by reference; no operation keeps a copy of any field.
struct RunState {
    static constexpr int kMaxTableRows = 450;
    static constexpr int kEnvelopeBufferSize = 350;
    static constexpr int kMaxExtraTitles = 15;
    static constexpr int kExtraTitleLength = 15;

    // Channels
    bool PortOpen = false;
    bool ServerListening = false;
    bool GatewayCalledIn = false;
    bool XPortConnected = false;
    bool GatewayClientConnected = false;
    std::int32_t PacketSequence = 1;
    std::array<std::uint8_t, 4> NetworkNumber{};
    std::array<std::uint8_t, kEnvelopeBufferSize> EnvelopeBuffer{};
    int EnvelopeCount = 0;
    bool PacketArrived = false;
    int ReloadCount = 0;
    QByteArray GatewayReply;
    QByteArray RawReply;

    // Interface
    int LanguageCode = 0; // 1 English, 2 Italian; any other stored value is kept and shown as English
    QString LastDirectory;
    int ExtraTitleCount = 0;
    QStringList ExtraTitles = QStringList(kMaxExtraTitles, QString());

    // Meter table selection. The row marks live with their table models (meter, display, receiver tables).
    QString SelectedAddress = QStringLiteral("256"); // "256": no valid primary address
    QString SelectedId;
    int FocusedRow = 0;
    bool MarkAllPending = false;

    // Operations
    bool ScanRunning = false;
    int CurrentAddress = 0;
    int CurrentRow = 0;
    int RetryCount = 0;
    int DisplayWriteRow = 0;
    int ReceiverRow = 0;
    bool DisplayWriteRunning = false;
    bool ReceiverProgramRunning = false;
    bool FullReadRequested = false;
    bool MatchRowById = false;
    bool MoreRecordsPending = false;
    int TableOperation = 0;
    // A primary-address write follows the acknowledgement of the next direct selection.
    bool AddressWritePending = false;
    // Automatic addressing: a run is in progress, the address for the current row, the row (from 1).
    bool AutoAddressRunning = false;
    int NextAutoAddress = 0;
    int AutoAddressRow = 0;
};

} // namespace holvex
