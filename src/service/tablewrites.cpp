// Whole tables written from a configuration file.
#include "service/tablewrites.h"

#include "config/configeditor.h"
#include "config/recordconversion.h"
#include "config/tablestaterows.h"
#include "config/tabletransfer.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "service/transferrun.h"
#include "service/writeoutcome.h"

namespace ktv31 {

bool ReadOfferedSpeeds(ServiceSession &session)
{
    TransferContext context = session.transferContext();
    if (ReadSpeedAvailability(context))
        return true;
    if (TransferGivenUp(session).kind == OutcomeKind::Interrupted)
        return false;
    OfferEverySpeed(session.image());
    return true;
}

namespace {

// Whole tables go only where the link allows it; told before anything is sent.
std::optional<Outcome> RefuseWholeTables(ServiceSession &session)
{
    if (session.linkKind().wholeTableWritesAllowed())
        return std::nullopt;
    session.op().ShowMessageBox(MessageBoxKind::Notice, ServiceText::NoTablesWritten(),
                                LinkKind::WholeTableWritesRefused());
    return Outcome{OutcomeKind::NotOnThisLink, ServiceText::NoTablesWritten(),
                   LinkKind::WholeTableWritesRefused()};
}

} // namespace

Outcome WriteReviewedTables(ServiceSession &session, const ConfigRecord &file,
                            const TableStateBuffer &state, const std::function<void()> &afterWrite)
{
    const QList<int> tables = ChosenTables(state);
    if (const auto refused = RefuseWholeTables(session))
        return *refused;
    if (const auto refused = RefuseToWrite(session, file, tables))
        return *refused;
    RecordToImage(file, session.image());

    Operator &op = session.op();
    TransferContext context = session.transferContext();
    SelectedWriteOutcome written;
    {
        BusyScope busy(op);
        op.SetStatusText(Panel::Step, QString());
        ProgressSink &progress = op.BeginWait(WaitKind::WritingTables);
        written = WriteSelectedAndReidentify(context, state, progress, [&] {
            op.StatusTextsDone();
            op.SetStatusText(Panel::Exchange, QString());
            if (afterWrite)
                afterWrite();
        });
        op.StatusTextsDone();
        op.SetStatusText(Panel::Exchange, QString());
        op.EndWait();
    }
    if (!written.written)
        return WriteOutcome(session, context, tables, false);
    Outcome outcome = WriteOutcome(session, context, tables, true);
    if (!written.identified)
        return TransferGivenUp(session);
    if (written.destroyedTable != 0) {
        outcome.destroyedTable = written.destroyedTable;
        op.ShowMessageBox(MessageBoxKind::Notice,
                          ServiceText::StillDestroyed(written.destroyedTable), QString());
    }
    return outcome;
}

Outcome WriteTablesFromFile(ServiceSession &session, const ConfigRecord &file,
                            const QList<int> &tables)
{
    if (const auto refused = RefuseWholeTables(session))
        return *refused;
    TableStateBuffer state;
    for (const int table : tables)
        if (IsWritableTable(table))
            state.setWriteChosen(table, true);
    if (state.WriteChosen(ConfigTable::LinkParameters) && !ReadOfferedSpeeds(session))
        return OutcomeKind::Interrupted;
    return WriteReviewedTables(session, file, state);
}

} // namespace ktv31
