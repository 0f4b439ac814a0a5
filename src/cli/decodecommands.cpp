// The decode commands: one frame given in hex, or an exchange log, decoded row by row.
#include "cli/clihelp.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "config/exchangedecoder.h"
#include "shell/exchangelog.h"
#include "shell/hexbytes.h"
#include "shell/wholefile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ktv31::cli {
namespace {

// A log rotates at a megabyte; this holds many joined together, and no run-away file.
constexpr qint64 kMaxLogBytes = 64 * 1024 * 1024;
// Past this many, unreadable lines are counted instead of named one by one.
constexpr int kNamedUnreadableLines = 10;

void PrintRows(const QList<DecodedRow> &rows, bool json)
{
    if (!json) {
        for (const DecodedRow &row : rows)
            PrintOut(RowText(row));
        return;
    }
    QJsonArray list;
    for (const DecodedRow &row : rows)
        list.append(RowJson(row));
    PrintOut(QString::fromUtf8(
                 QJsonDocument(QJsonObject{{"rows", list}}).toJson(QJsonDocument::Indented))
                 .trimmed());
}

int Decode(const CliOptions &options)
{
    const QString text = options.files.join(QLatin1Char(' '));
    const std::optional<QByteArray> bytes = ParseHexBytes(text);
    if (!bytes || bytes->isEmpty()) {
        Complain(QStringLiteral("decode: \"%1\" - не байты в шестнадцатеричном виде (пары из "
                                "0-9, A-F, между парами пробелы)")
                     .arg(text.left(80)));
        PrintError(UsageHint());
        return ExitStatus::BadUsage;
    }
    PrintRows({DecodeFrameBytes(*bytes)}, options.json);
    return ExitStatus::Done;
}

int DecodeLog(const CliOptions &options)
{
    const QString path = options.files.front();
    const FileRead read = ReadFileStart(path, kMaxLogBytes + 1);
    if (!read.ok()) {
        PrintError(
            QStringLiteral("%1: %2: %3").arg(path, OpenFailedText(), FileFaultText(read.fault)));
        return ExitStatus::FileProblem;
    }
    if (read.bytes.size() > kMaxLogBytes) {
        PrintError(QStringLiteral("%1: больше %2 МиБ, не журнал обмена")
                       .arg(path)
                       .arg(kMaxLogBytes / (1024 * 1024)));
        return ExitStatus::FileProblem;
    }
    ExchangeDecoder decoder;
    QList<DecodedRow> rows;
    int unreadable = 0;
    int number = 0;
    for (const QByteArray &line : read.bytes.split('\n')) {
        ++number;
        if (line.isEmpty() || line == "\r")
            continue;
        if (const std::optional<ExchangeLine> parsed = ExchangeLog::ParseLine(line)) {
            rows.append(decoder.decode(*parsed));
            continue;
        }
        if (++unreadable <= kNamedUnreadableLines)
            PrintError(QStringLiteral("%1:%2: не строка журнала обмена").arg(path).arg(number));
    }
    if (unreadable > kNamedUnreadableLines)
        PrintError(QStringLiteral("%1: строк не из журнала обмена: %2").arg(path).arg(unreadable));
    if (rows.isEmpty() && unreadable > 0) {
        PrintError(QStringLiteral("%1: не журнал обмена").arg(path));
        return ExitStatus::FileProblem;
    }
    PrintRows(rows, options.json);
    return ExitStatus::Done;
}

} // namespace

int RunDecodeCommand(const CliOptions &options)
{
    return options.command == Command::Decode ? Decode(options) : DecodeLog(options);
}

} // namespace ktv31::cli
