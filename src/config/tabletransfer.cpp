// Table transfers with the controller: one block with operator retries, and the operations on it.
#include "config/tabletransfer.h"

#include "config/tablecaptions.h"
#include "link/comportfunctions.h"
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "shell/monoclock.h"
#include "shell/operation.h"
#include "shell/operatorseam.h"
#include "shell/settings.h"

#include <algorithm>

namespace ktv31 {

namespace {

constexpr int IdentificationTable = ConfigTable::Identification;
constexpr int SpeedAvailabilityTable = ConfigTable::SpeedAvailability;
constexpr int LinkParametersTable = ConfigTable::LinkParameters;
constexpr int ModemStringTable = ConfigTable::ModemString;
constexpr int LinksTable = ConfigTable::Links;
constexpr int TableStateTable = ConfigTable::TableState;

constexpr int SpeedAvailabilitySize = 8; // two 32-bit fields
// The calculator links are read in two requests; no read asks for more fields than the first.
constexpr int LinksFirstReadCount = 130;
constexpr int MostFieldsRead = LinksFirstReadCount;
constexpr quint8 FallbackSpeedCode = 2; // 1200 bit/s, for a code the table does not know

void SetStepText(TransferContext &context, const QString &text)
{
    context.op.SetStatusText(Panel::Step, text);
}

bool AskRetry(TransferContext &context, const TableRequest &request)
{
    const int table = request.Table();
    const QString line1 =
        request.IsRead() ? QStringLiteral("Не выполнено чтение из таблицы %1.").arg(table)
        : context.writeUnknown ? QStringLiteral("Запись в таблицу %1 не подтверждена.").arg(table)
                               : QStringLiteral("Не выполнена запись в таблицу %1.").arg(table);
    const QString line2 = QLatin1Char('"') + TableCaption(request.Table()) + QLatin1Char('"');
    const bool again = context.op.ShowMessageBox(MessageBoxKind::RetryQuestion, line1, line2);
    SetStepText(context, QString());
    return again;
}

// Bytes one field of a table occupies in an answer.
int FieldBytes(int table)
{
    switch (table) {
    case SpeedAvailabilityTable:
        return SpeedAvailabilitySize / 2;
    case ModemStringTable:
        return ModemStringSize;
    default:
        return 1;
    }
}

// The answer must be the block asked for and carry all of its bytes: a short answer would leave
// stale bytes of the receive buffer to be copied into the image.
bool AnswerMatches(const ExchangeSession &session, const TableRequest &request)
{
    const FrameBuffer &rx = session.RxBuffer;
    const int table = request.u8(TableRequestOffset::ReadTable);
    const int count = request.u8(TableRequestOffset::ReadCount);
    const int needed = TableAnswerOffset::Data + count * FieldBytes(table) + 2;
    return rx[TableAnswerOffset::Table] == table &&
           rx[TableAnswerOffset::First] == request.u8(TableRequestOffset::ReadFirst) &&
           rx[TableAnswerOffset::Count] == count && rx[FrameOffset::Length] >= needed;
}

QByteArray AnswerData(const ExchangeSession &session, int size)
{
    return QByteArray(
        reinterpret_cast<const char *>(session.RxBuffer.data()) + TableAnswerOffset::Data, size);
}

enum class Arrival
{
    Arrived,
    NotArrived,
    Unknown
};

// A refusal is the controller's word that nothing was written; any other failure of a write
// may have come after the controller took it.
bool MayHaveArrived(Result result)
{
    return result != Result::Refused && result != Result::ValveRefused && result != Result::Busy &&
           result != Result::BadFunctionCode;
}

// Reads once what a write without an answer was to put into the controller and compares it,
// so that the person is told what the controller holds rather than a guess.
Arrival CheckArrival(TransferContext &context, const TableRequest &write)
{
    ExchangeSession &session = context.session;
    if (IsGone(session.PortHandle) || !MayHaveArrived(session.ResultCode))
        return session.ResultCode == Result::Refused || session.ResultCode == Result::ValveRefused
                   ? Arrival::NotArrived
                   : Arrival::Unknown;
    const int fieldBytes = FieldBytes(write.Table());
    const int chunk = std::max(1, MostFieldsRead / fieldBytes);
    for (int done = 0; done < write.Count();) {
        const int fields = std::min(chunk, write.Count() - done);
        const TableRequest read = TableRequest::Read(write.Table(), write.First() + done, fields);
        SetStepText(context, TransferStepText(read));
        if (RunExchange(session, TableFunctionCode, read.data(), TableRequest::ReadLength, 0) !=
                Result::Ok ||
            !AnswerMatches(session, read))
            return Arrival::Unknown;
        const int size = fields * fieldBytes;
        if (AnswerData(session, size) !=
            write.slice(TableRequestOffset::Data + done * fieldBytes, size))
            return Arrival::NotArrived;
        done += fields;
    }
    return Arrival::Arrived;
}

// Reads `count` fields from `first` and copies `size` answer bytes to image byte `imageOffset`.
bool ReadInto(TransferContext &context, int table, int first, int count, int imageOffset, int size)
{
    if (!TransferTable(context, TableRequest::Read(table, first, count), TableRequest::ReadLength))
        return false;
    context.image.setSlice(imageOffset, size, AnswerData(context.session, size));
    return true;
}

// Reads back the `count` fields from `first` that were just written from image byte
// `imageOffset` and compares them byte by byte; the first difference is kept in the context.
bool ReadBack(TransferContext &context, int table, int first, int count, int imageOffset)
{
    const int fieldBytes = FieldBytes(table);
    const int chunk = std::max(1, MostFieldsRead / fieldBytes);
    for (int done = 0; done < count;) {
        const int fields = std::min(chunk, count - done);
        if (!TransferTable(context, TableRequest::Read(table, first + done, fields),
                           TableRequest::ReadLength)) {
            context.writes.requestUnverified(table, first + count - 1);
            return false;
        }
        const int size = fields * fieldBytes;
        const QByteArray read = AnswerData(context.session, size);
        const QByteArray written = context.image.slice(imageOffset + done * fieldBytes, size);
        for (int i = 0; i < size; ++i) {
            if (read[i] == written[i])
                continue;
            // A table of one-byte fields names the field; the modem string its byte.
            const int field = fieldBytes == 1 ? first + done + i : done * fieldBytes + i;
            context.mismatch = WriteMismatch{table, field, quint8(written[i]), quint8(read[i])};
            context.writes.requestDiffers(table, first + count - 1,
                                          WriteDifferenceText(*context.mismatch));
            return false;
        }
        done += fields;
    }
    return true;
}

// One write request, without its read-back.
bool WriteRequest(TransferContext &context, int table, int first, int count, int imageOffset,
                  int size)
{
    const TableRequest request =
        TableRequest::Write(table, first, count, context.image.slice(imageOffset, size));
    const int lastField = first + count - 1;
    if (!TransferTable(context, request, TableRequest::WriteLength(size))) {
        if (context.writeUnknown)
            context.writes.requestUnknown(table, lastField);
        return false;
    }
    context.writes.requestWritten(table, lastField);
    return true;
}

// One write request of one-byte fields (or the one field of the modem string), read back when
// the context verifies its writes.
bool WriteFrom(TransferContext &context, int table, int first, int count, int imageOffset, int size)
{
    return WriteRequest(context, table, first, count, imageOffset, size) &&
           (!context.verifyWrites || ReadBack(context, table, first, count, imageOffset));
}

void Advance(ProgressSink &progress)
{
    progress.SetPosition(progress.Position() + 1);
    PumpEvents();
}

void FinishProgress(TransferContext &context, ProgressSink &progress)
{
    if (progress.Position() < progress.Maximum())
        progress.SetPosition(progress.Maximum());
    PumpEvents();
    // Timers and painting go on, input waits: no other command may start before this one has
    // returned.
    PauseWithoutInput(context.closingWaitMs);
}

// The controller answers at the speed just written from the next request on, so the program
// follows it.
void FollowWrittenSpeed(TransferContext &context)
{
    const int speed = CodeToSpeed(context.image.u8(ImageOffset::UpperSpeedCode));
    if (speed == 0)
        return; // no such speed code: switching the port to 0 bit/s would only lose the link
    context.settings.setSpeed(speed);
    context.session.Speed = speed;
    context.op.SetStatusText(
        Panel::Link, LinkText(PortName(context.settings.PortNumber(), context.portName), speed));
}

// Table 3, then the program's own speed follows the one written when `followSpeed`, so that the
// read-back asks at the speed the controller answers at from now on. `readBack` false: the
// controller now answers at a speed this line cannot reach.
bool WriteLinkParameters(TransferContext &context, bool followSpeed, bool readBack = true)
{
    const int count = context.image.LinkParameterCount();
    if (!WriteRequest(context, LinkParametersTable, 0, count, ImageOffset::LinkParameters, count))
        return false;
    if (followSpeed)
        FollowWrittenSpeed(context);
    if (context.verifyWrites && readBack &&
        !ReadBack(context, LinkParametersTable, 0, count, ImageOffset::LinkParameters))
        return false;
    context.writes.tableWritten(LinkParametersTable, context.verifyWrites && readBack);
    return true;
}

bool WriteModemString(TransferContext &context)
{
    if (!WriteFrom(context, ModemStringTable, 0, 1, ImageOffset::ModemString, ModemStringSize))
        return false;
    context.writes.tableWritten(ModemStringTable, context.verifyWrites);
    return true;
}

// The last field a write of `table` sends: all of them, or for the calculator links the last
// one that changed when `before` is given.
int LastFieldWritten(const ConfigImage &image, int table, const ConfigImage *before)
{
    if (table == LinkParametersTable)
        return image.LinkParameterCount() - 1;
    if (table != LinksTable)
        return 0;
    int last = CalculatorCount - 1;
    while (before && last > 0 && image.LinkByteAt(last) == before->LinkByteAt(last))
        --last;
    return last;
}

void PlanWrites(TransferContext &context, const QList<int> &tables, const ConfigImage *before)
{
    for (const int table : tables)
        context.writes.plan(table, LastFieldWritten(context.image, table, before));
}

bool Differs(const ConfigImage &a, const ConfigImage &b, int offset, int size)
{
    return a.slice(offset, size) != b.slice(offset, size);
}

// Writes the changed link bytes in runs of changed fields, at most one request's worth each.
bool WriteChangedLinks(TransferContext &context, const ConfigImage &before)
{
    const auto changed = [&](int field) {
        return context.image.LinkByteAt(field) != before.LinkByteAt(field);
    };
    int start = 0;
    while (start < CalculatorCount) {
        int runStart = start;
        while (runStart < CalculatorCount && !changed(runStart))
            ++runStart;
        if (runStart == CalculatorCount)
            break;
        int runLength = 1;
        while (runStart + runLength < CalculatorCount && runLength < MaxTableRequestData &&
               changed(runStart + runLength))
            ++runLength;
        if (!WriteFrom(context, LinksTable, runStart, runLength, ImageOffset::Links + runStart,
                       runLength))
            return false;
        start = runStart + runLength;
    }
    context.writes.tableWritten(LinksTable, context.verifyWrites);
    return true;
}

} // namespace

QString WriteMismatchText(const WriteMismatch &mismatch)
{
    return QStringLiteral("Таблица %1, %2").arg(mismatch.table).arg(WriteDifferenceText(mismatch));
}

QString WriteDifferenceText(const WriteMismatch &mismatch)
{
    QString where;
    if (mismatch.table == LinksTable)
        where = QStringLiteral("адрес %1").arg(mismatch.field);
    else if (mismatch.table == ModemStringTable)
        where = QStringLiteral("позиция %1").arg(mismatch.field + 1);
    else
        where = QStringLiteral("поле %1").arg(mismatch.field);
    const auto hex = [](quint8 byte) {
        return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QStringLiteral("%1: записано %2, прочитано %3")
        .arg(where, hex(mismatch.written), hex(mismatch.read));
}

QString TransferStepText(const TableRequest &request)
{
    const int table = request.Table();
    const int first = request.First();
    const int count = request.Count();
    if (request.IsRead())
        return count == 1 ? QStringLiteral("Чтение из таблицы %1 (поле %2)").arg(table).arg(first)
                          : QStringLiteral("Чтение из таблицы %1 (поля %2-%3)")
                                .arg(table)
                                .arg(first)
                                .arg(first + count);
    return count == 1 ? QStringLiteral("Запись в таблицу %1 (поле %2)").arg(table).arg(first)
                      : QStringLiteral("Запись в таблицу %1 (поля %2-%3)")
                            .arg(table)
                            .arg(first)
                            .arg(first + count);
}

bool TransferTable(TransferContext &context, const TableRequest &request, int length)
{
    ExchangeSession &session = context.session;
    // Reached from a handler inside a running exchange: that exchange owns the session and the
    // status texts; refusing quietly leaves both alone.
    if (ExchangeRunning(session))
        return false;
    OperationScope operation;
    PumpEvents();
    for (;;) {
        SetStepText(context, TransferStepText(request));
        const Result result = RunExchange(session, TableFunctionCode, request.data(), length, 0);
        if (result == Result::Busy)
            return false;
        context.writeUnknown = false;
        if (result != Result::Ok) {
            if (result == Result::Aborted) {
                context.writeUnknown = !request.IsRead();
                SetStepText(context, QString());
                return false;
            }
            const QString failure = ResultText(session);
            if (!request.IsRead()) {
                const Arrival arrival = CheckArrival(context, request);
                if (session.ResultCode == Result::Aborted) {
                    context.writeUnknown = true;
                    SetStepText(context, QString());
                    return false;
                }
                if (arrival == Arrival::Arrived) {
                    SetStepText(context, QString());
                    PumpEvents();
                    return true;
                }
                context.writeUnknown = arrival == Arrival::Unknown;
            }
            SetStepText(context, failure);
            PumpEvents();
        } else if (request.IsRead() && !AnswerMatches(session, request)) {
            SetStepText(context, QStringLiteral("Несоответствие запрошенных и переданных данных"));
        } else {
            SetStepText(context, QString());
            PumpEvents();
            return true;
        }
        if (!AskRetry(context, request))
            return false;
        if (IsGone(session.PortHandle) && context.reopenLostPort && !context.reopenLostPort())
            return false;
        PumpEvents();
    }
}

bool ReadIdentification(TransferContext &context)
{
    return ReadInto(context, IdentificationTable, 0, IdentificationSize,
                    ImageOffset::DestroyedTable, IdentificationSize);
}

bool ReadSpeedAvailability(TransferContext &context)
{
    return ReadInto(context, SpeedAvailabilityTable, 0, 2, ImageOffset::UpperSpeedMask,
                    SpeedAvailabilitySize);
}

bool ReadConfiguration(TransferContext &context, ProgressSink &progress)
{
    OperationScope operation;
    progress.SetMaximum(WritableTableCount() + 3);
    progress.SetPosition(0);

    if (!ReadIdentification(context))
        return false;
    Advance(progress);

    const int linkParameters = context.image.LinkParameterCount();
    if (!ReadInto(context, LinkParametersTable, 0, linkParameters, ImageOffset::LinkParameters,
                  linkParameters))
        return false;
    Advance(progress);
    if (context.image.u8(ImageOffset::UpperSpeedCode) >= SpeedCodeCount)
        context.image.setU8(ImageOffset::UpperSpeedCode, FallbackSpeedCode);

    if (!ReadInto(context, ModemStringTable, 0, 1, ImageOffset::ModemString, ModemStringSize))
        return false;
    Advance(progress);

    const int secondCount = CalculatorCount - LinksFirstReadCount;
    if (!ReadInto(context, LinksTable, 0, LinksFirstReadCount, ImageOffset::Links,
                  LinksFirstReadCount))
        return false;
    Advance(progress);
    if (!ReadInto(context, LinksTable, LinksFirstReadCount, secondCount,
                  ImageOffset::Links + LinksFirstReadCount, secondCount))
        return false;
    Advance(progress);

    if (!ReadSpeedAvailability(context))
        return false;
    Advance(progress);

    FinishProgress(context, progress);
    return true;
}

bool ReadTableState(TransferContext &context, TableStateBuffer &state)
{
    if (!TransferTable(context, TableRequest::Read(TableStateTable, 0, ConfigTableCount),
                       TableRequest::ReadLength))
        return false;
    state = TableStateBuffer();
    state.setSlice(TableStateOffset::Destroyed, ConfigTableCount,
                   AnswerData(context.session, ConfigTableCount));
    for (const ConfigTableFlag &flag : ConfigTableFlags())
        state.setU8(TableStateOffset::Writable + flag.table, flag.writable);
    return true;
}

bool WriteSelectedTables(TransferContext &context, const TableStateBuffer &state,
                         ProgressSink &progress)
{
    OperationScope operation;
    progress.SetMaximum(state.WriteChoiceCount() + 1);
    progress.SetPosition(0);
    PlanWrites(context, {LinkParametersTable, ModemStringTable, LinksTable}, nullptr);

    if (state.WriteChosen(LinkParametersTable)) {
        if (!WriteLinkParameters(context, true))
            return false;
        Advance(progress);
    }
    if (state.WriteChosen(ModemStringTable)) {
        if (!WriteModemString(context))
            return false;
        Advance(progress);
    }
    if (state.WriteChosen(LinksTable)) {
        const int secondCount = CalculatorCount - MaxTableRequestData;
        if (!WriteFrom(context, LinksTable, 0, MaxTableRequestData, ImageOffset::Links,
                       MaxTableRequestData))
            return false;
        Advance(progress);
        if (!WriteFrom(context, LinksTable, MaxTableRequestData, secondCount,
                       ImageOffset::Links + MaxTableRequestData, secondCount))
            return false;
        context.writes.tableWritten(LinksTable, context.verifyWrites);
        Advance(progress);
    }
    FinishProgress(context, progress);
    return true;
}

QList<int> TablesToWrite(const ConfigImage &image, const ConfigImage &before)
{
    QList<int> tables;
    if (Differs(image, before, ImageOffset::LinkParameters, LinkParameterCountLong))
        tables.append(LinkParametersTable);
    if (Differs(image, before, ImageOffset::ModemString, ModemStringSize))
        tables.append(ModemStringTable);
    if (Differs(image, before, ImageOffset::Links, CalculatorCount))
        tables.append(LinksTable);
    return tables;
}

bool WriteChangedConfiguration(TransferContext &context, const ConfigImage &before)
{
    OperationScope operation;
    const QList<int> tables = TablesToWrite(context.image, before);
    PlanWrites(context, tables, &before);
    if (tables.contains(LinkParametersTable)) {
        // Where the port cannot follow (a modem keeps the line's speed), a new speed of the
        // controller is out of the program's reach until the link is made anew.
        const bool follow = context.speedFollowsTableWrite;
        const bool speedKept =
            context.image.u8(ImageOffset::UpperSpeedCode) == before.u8(ImageOffset::UpperSpeedCode);
        if (!WriteLinkParameters(context, follow, follow || speedKept))
            return false;
    }
    if (tables.contains(ModemStringTable) && !WriteModemString(context))
        return false;
    if (tables.contains(LinksTable) && !WriteChangedLinks(context, before))
        return false;
    return true;
}

SelectedWriteOutcome WriteSelectedAndReidentify(TransferContext &context,
                                                const TableStateBuffer &state,
                                                ProgressSink &progress,
                                                const std::function<void()> &afterWrite)
{
    OperationScope operation;
    SelectedWriteOutcome outcome;
    if (!WriteSelectedTables(context, state, progress))
        return outcome;
    outcome.written = true;
    PauseWithoutInput(context.closingWaitMs);
    if (afterWrite)
        afterWrite();
    if (!ReadIdentification(context))
        return outcome;
    outcome.identified = true;
    outcome.destroyedTable = context.image.u8(ImageOffset::DestroyedTable);
    return outcome;
}

} // namespace ktv31
