// Printing a round as it goes and when it ends.
#include "cli/roundprinter.h"

#include "cli/console.h"
#include "cli/visitprocesses.h"

#include <QJsonDocument>

#include <cstdio>

namespace ktv31::cli {
namespace {

QString PortTag(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

QString Joined(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts.append(QString::number(n));
    return texts.join(QLatin1Char(','));
}

void WriteRaw(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

RoundPrinter::RoundPrinter(int total, bool live, bool verbose)
    : total_(total), live_(live), verbose_(verbose)
{
}

void RoundPrinter::started(int port, const QString &station, int call)
{
    station_[port] = station;
    progress(port, call > 1 ? QStringLiteral("вызов %1").arg(call) : QStringLiteral("вызов"));
}

void RoundPrinter::progress(int port, const QString &text)
{
    const QString line =
        QStringLiteral("%1: %2: %3").arg(PortTag(port), station_.value(port), text);
    if (live_) {
        lines_[port] = line;
        redraw();
    } else if (verbose_) {
        PrintError(line);
    }
}

void RoundPrinter::finished(const StationReport &report)
{
    ++done_;
    // A station no working line could serve was never on a line.
    const QString line =
        report.port
            ? QStringLiteral("%1: %2: %3").arg(PortTag(report.port), report.name, report.outcome)
            : QStringLiteral("%1: %2").arg(report.name, report.outcome);
    if (live_) {
        if (report.port)
            lines_[report.port] = line;
        redraw();
    } else if (verbose_) {
        PrintError(line);
    }
}

void RoundPrinter::lineLost(int port, const QString &reason)
{
    close();
    PrintError(QStringLiteral("%1: линия выведена из обхода: %2").arg(PortTag(port), reason));
    lines_.remove(port);
    if (live_)
        redraw();
}

void RoundPrinter::redraw()
{
    QString text;
    // Back to the first live line, then each line rewritten whole.
    if (drawn_ > 0)
        text += QStringLiteral("\x1b[%1A").arg(drawn_);
    for (const QString &line : std::as_const(lines_))
        text += QStringLiteral("\r\x1b[2K") + line + QLatin1Char('\n');
    text += QStringLiteral("\r\x1b[2KГотово %1 из %2\n").arg(done_).arg(total_);
    drawn_ = int(lines_.size()) + 1;
    WriteRaw(text);
}

void RoundPrinter::close()
{
    if (!live_ || drawn_ == 0)
        return;
    QString text = QStringLiteral("\x1b[%1A").arg(drawn_);
    for (int i = 0; i < drawn_; ++i)
        text += QStringLiteral("\r\x1b[2K\n");
    text += QStringLiteral("\x1b[%1A").arg(drawn_);
    drawn_ = 0;
    WriteRaw(text);
}

void PrintRoundTable(const QList<StationReport> &reports)
{
    const QStringList head{QStringLiteral("Станция"), QStringLiteral("Итог"),
                           QStringLiteral("Версия"), QStringLiteral("Разрушены"),
                           QStringLiteral("Изменено")};
    QList<QStringList> rows{head};
    for (const StationReport &r : reports)
        rows.append(
            {r.name, r.outcome, r.version ? QString::number(r.version) : QStringLiteral("-"),
             r.destroyed.isEmpty() ? QStringLiteral("-") : Joined(r.destroyed),
             r.changed.isEmpty() ? QStringLiteral("-") : r.changed.join(QStringLiteral(", "))});
    QList<qsizetype> widths(head.size(), 0);
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        PrintOut(line);
    }
}

void PrintRoundJson(const QList<StationReport> &reports)
{
    for (const StationReport &r : reports)
        PrintOut(QString::fromUtf8(
            QJsonDocument(StationReportObject(r)).toJson(QJsonDocument::Compact)));
}

} // namespace ktv31::cli
