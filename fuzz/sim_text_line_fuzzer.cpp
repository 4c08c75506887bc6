// Feeds arbitrary bytes to the simulated devices' side of the text lines: the line parser, the routing, the
// display unit and the gateway's service port. The input is cut at LF bytes into lines, which go one after
// the other to one unit and one port, so that settings made by earlier lines shape the later answers; the
// whole input is tried as one line too. The first byte picks the unit's answer forms.
#include "sim/display_answers.h"
#include "sim/display_unit.h"
#include "sim/gateway_service_port.h"
#include "sim/text_line.h"
#include "sim/text_routing.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace holvex::sim;

DisplayConfig unitConfig(std::uint8_t forms) {
    DisplayConfig c;
    c.addressList = (forms & 1) ? AddressListForm::Lines : AddressListForm::Ranges;
    c.monthNames = (forms & 2) ? MonthNames::Bulgarian : MonthNames::English;
    c.blankDecember = (forms & 4) != 0;
    c.clock = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    for (int a : {1, 2, 3, 7, 8, 9, 250}) {
        DisplayEntry& e = c.entries[a];
        e.active = a != 3;
        e.pulses = 1000LL * a;
        e.divider = a;
        e.stepPulses = a;
        e.userNumber = QByteArray::number(a);
        e.userMultDiv = (forms & 8) != 0 || a % 2 == 0;
        e.historyForm = (forms & 16) ? HistoryForm::Tariffs : HistoryForm::Plain;
        for (int m = 0; m < a % 13; ++m) {
            e.history.append({QDate(2025, 12, 1).addMonths(m), 1.5 * m, {1, 2, 3}});
        }
    }
    return c;
}

// Answers are lines joined by CR LF: no lone CR or LF, nothing after the last line.
void checkAnswer(const QByteArray& answer) {
    for (qsizetype i = 0; i < answer.size(); ++i) {
        const bool cr = answer.at(i) == '\r';
        const bool lf = answer.at(i) == '\n';
        if ((cr && (i + 1 >= answer.size() || answer.at(i + 1) != '\n')) ||
            (lf && (i == 0 || answer.at(i - 1) != '\r'))) {
            __builtin_trap();
        }
    }
    if (answer.isEmpty() || answer.endsWith('\n') || answer.size() > 4096) {
        __builtin_trap();
    }
}

void checkUnit(const DisplayUnit& unit) {
    for (auto it = unit.state().entries.cbegin(); it != unit.state().entries.cend(); ++it) {
        const DisplayEntry& e = *it;
        if (it.key() < 1 || it.key() > kDisplayEntries || e.divider < 1 || e.text.size() > kFreeTextLength ||
            e.text2.size() > kFreeTextLength || e.unitCode < 1 || e.unitCode > 4 || e.userNumber.size() > 4) {
            __builtin_trap();
        }
        for (const QByteArray& text : {e.text, e.text2}) {
            for (char c : text) {
                if (static_cast<unsigned char>(c) < 0x20) {
                    __builtin_trap();
                }
            }
        }
    }
}

void feedLine(const QByteArray& bytes, DisplayUnit& unit, GatewayServicePort& port) {
    if (escapedLine(bytes).contains('\n') || escapedLine(bytes).contains('\r')) {
        __builtin_trap();
    }
    static_cast<void>(isTextLine(bytes));
    const auto line = parseTextLine(bytes);
    if (!line) {
        return;
    }
    if (line->argumentList().join(',') != line->arguments ||
        line->argumentList(2).join(',') != line->arguments) {
        __builtin_trap();
    }
    for (TextRoad road : {TextRoad::Serial, TextRoad::Lan, TextRoad::Gateway}) {
        const auto device = routeTextLine(
            *line, road, {.display = true, .gatewayService = true, .serialTextDevice = TextDevice::Display});
        if (device == TextDevice::GatewayService && road != TextRoad::Serial) {
            __builtin_trap();
        }
    }
    if (DisplayUnit::knows(*line)) {
        const auto answer = unit.answer(*line);
        if (!answer) {
            __builtin_trap(); // no fault is set
        }
        checkAnswer(*answer);
        checkUnit(unit);
    }
    if (GatewayServicePort::knows(*line)) {
        const auto answer = port.answer(*line);
        if (!answer) {
            __builtin_trap();
        }
        checkAnswer(*answer);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::uint8_t forms = size > 0 ? data[0] : 0;
    DisplayUnit unit(unitConfig(forms));
    GatewayServiceConfig service;
    service.product = (forms & 32) ? GatewayProduct::Galdor : GatewayProduct::Ferrin;
    GatewayServicePort port(service, {0, 0, 0, 1});
    for (const QByteArray& line : bytes.mid(1).split('\n')) {
        feedLine(line, unit, port);
    }
    DisplayUnit fresh(unitConfig(forms));
    feedLine(bytes, fresh, port);
    return 0;
}
