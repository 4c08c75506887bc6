#include "log/log_print.h"

#include "log/log_pages.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>

namespace holvex {

namespace {
constexpr double kPageWidthUnits = 210.0;
constexpr double kPageHeightUnits = 297.0;
constexpr double kLeftUnits = 22.0;
constexpr double kHeadingTopUnits = 20.0;
constexpr double kFirstLineTopUnits = 30.0;
// Small enough that the 36 double-spaced lines of page one fit on A4.
constexpr int kFontPointSize = 8;
} // namespace

QString logPrintHeading(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    return QStringLiteral("Print of log file ") + locale.toString(when.date(), QLocale::ShortFormat) +
           QStringLiteral(", ") + locale.toString(when.time(), QLocale::ShortFormat);
}

int printLog(QPagedPaintDevice& device, const QStringList& lines, const QString& heading) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return 0;
    }
    QFont font = painter.font();
    font.setPointSize(kFontPointSize);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font(), &device);
    const double unitX = device.width() / kPageWidthUnits;
    const double unitY = device.height() / kPageHeightUnits;
    const int left = qRound(kLeftUnits * unitX);
    const int lineHeight = metrics.height();

    // Positions name the top of the text, so the baseline sits one ascent lower.
    auto drawAt = [&](int top, const QString& text) {
        painter.drawText(left, top + metrics.ascent(), text);
    };

    const std::vector<LogPage> pages = paginateLog(static_cast<int>(lines.size()));
    int printed = 0;
    for (const LogPage& page : pages) {
        if (printed > 0 && !device.newPage()) {
            break;
        }
        ++printed;
        drawAt(qRound(kHeadingTopUnits * unitY), heading);
        for (int i = page.firstLine; i <= page.lastLine; ++i) {
            const int top = qRound(kFirstLineTopUnits * unitY) + (i - page.slotBase) * 2 * lineHeight;
            drawAt(top, lines.at(i));
        }
    }
    painter.end();
    return printed;
}

} // namespace holvex
