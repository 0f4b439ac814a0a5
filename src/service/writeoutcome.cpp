// The content check before a write and what a write is told as afterwards.
#include "service/writeoutcome.h"

#include "config/recordconversion.h"
#include "config/tabletransfer.h"
#include "config/writecheck.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "service/transferrun.h"

namespace ktv31 {

std::optional<Outcome> RefuseToWrite(ServiceSession &session, const ConfigRecord &record,
                                     const QList<int> &tables,
                                     const std::function<bool(int)> &writtenLink)
{
    QString fault;
    // The controller's software version decides whether table 3 takes its eighth byte too.
    if (const auto content =
            CheckWriteContent(record, tables, session.image().LinkParameterCount(), writtenLink))
        fault = content->text;
    const quint8 upperSpeed = record.u8(RecordOffset::LinkParameters);
    if (fault.isEmpty() && tables.contains(ConfigTable::LinkParameters) &&
        !UpperSpeedOffered(session.image(), upperSpeed))
        fault = ServiceText::UpperSpeedNotOffered(upperSpeed);
    if (fault.isEmpty())
        return std::nullopt;
    session.op().ShowMessageBox(MessageBoxKind::Notice, ServiceText::NoTablesWritten(), fault);
    return Outcome{OutcomeKind::ContentRefused, ServiceText::NoTablesWritten(), fault};
}

Outcome WriteOutcome(ServiceSession &session, const TransferContext &context,
                     const QList<int> &planned, bool written)
{
    Operator &op = session.op();
    const QList<TableWriteEntry> tables = WriteEntries(planned, context.writes);
    const QString what = WrittenTablesText(tables);
    Outcome outcome;
    if (written) {
        op.Note(ServiceText::TablesWritten(planned, context.verifyWrites));
        op.StatusTextsDone();
        outcome = {OutcomeKind::Done, {}, what};
    } else if (context.mismatch) {
        outcome = {OutcomeKind::VerifyFailed, ServiceText::VerifyFailed(), what};
    } else if (TransferGivenUp(session).kind == OutcomeKind::Interrupted) {
        outcome = {OutcomeKind::Interrupted, {}, what};
    } else {
        outcome = {OutcomeKind::WriteFailed, ServiceText::WriteNotFinished(), what};
    }
    if (!outcome.text.isEmpty())
        op.ShowMessageBox(MessageBoxKind::ExchangeResult, outcome.text, what);
    outcome.tables = tables;
    return outcome;
}

} // namespace ktv31
