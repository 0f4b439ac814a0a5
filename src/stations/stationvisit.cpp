// The steps of one station's visit, as an engineer would take them by hand.
#include "stations/stationvisit.h"

#include "config/recordconversion.h"
#include "config/tablestate.h"
#include "link/connectmodem.h"
#include "service/configoperations.h"
#include "service/fieldwrites.h"
#include "service/identifyoperations.h"
#include "service/linkoperations.h"
#include "service/servicesession.h"
#include "service/tablestateprocedure.h"
#include "stations/stationhistory.h"
#include "stations/stationtexts.h"

namespace ktv31 {
namespace {

QString OutcomeText(const Outcome &outcome)
{
    if (outcome.kind == OutcomeKind::Interrupted)
        return StationText::Interrupted();
    if (outcome.detail.isEmpty())
        return outcome.text;
    if (outcome.text.isEmpty())
        return outcome.detail;
    return outcome.text + QStringLiteral(" ") + outcome.detail;
}

VisitEnd EndOfStep(ServiceSession &session, const Outcome &outcome)
{
    if (outcome.kind == OutcomeKind::Interrupted || session.interrupted())
        return VisitEnd::Interrupted;
    // The port went away under the call: the line's fault, not the station's.
    if (session.port() && session.port()->isGone())
        return VisitEnd::LineFault;
    return VisitEnd::Finished;
}

QList<int> DestroyedTables(const TableStateBuffer &state)
{
    QList<int> tables;
    for (int table = 0; table < ConfigTableCount; ++table)
        if (state.Destroyed(table))
            tables.append(table);
    return tables;
}

class Visit
{
public:
    Visit(ServiceSession &session, const Station &station, const VisitPlan &plan)
        : session_(session), station_(station), plan_(plan)
    {
    }

    StationReport run()
    {
        if (connect() && identify() && readTableState())
            plan_.changes.isEmpty() ? backUp() : applyChanges();
        Disconnect(session_);
        if (haveRecord_)
            keep();
        return report_;
    }

private:
    bool failed(const Outcome &outcome, VisitEnd end)
    {
        report_.ok = false;
        report_.outcome = OutcomeText(outcome);
        report_.end = end;
        return false;
    }

    bool connect()
    {
        const Outcome o = Connect(session_);
        return o.ok() || failed(o, EndOfFailedConnect(o));
    }

    bool identify()
    {
        const Outcome o = IdentifyAndCheck(session_);
        if (o.kind == OutcomeKind::Done || o.kind == OutcomeKind::Rejected)
            report_.version = session_.image().SoftwareVersion();
        if (o.destroyedTable)
            report_.destroyed.append(o.destroyedTable);
        return o.ok() || failed(o, EndOfStep(session_, o));
    }

    bool readTableState()
    {
        TableStateBuffer state;
        const Outcome o = ReadTableStates(session_, state);
        if (!o.ok())
            return failed(o, EndOfStep(session_, o));
        report_.destroyed = DestroyedTables(state);
        return true;
    }

    void backUp()
    {
        const Outcome o = ReadConfigurationRecord(session_, record_, false);
        if (!o.ok()) {
            failed(o, EndOfStep(session_, o));
            // A destroyed table is what stops the read: say that first.
            if (!report_.destroyed.isEmpty() && report_.end == VisitEnd::Finished)
                report_.outcome = StationText::DestroyedTable(report_.destroyed.first()) +
                                  QStringLiteral(". ") + report_.outcome;
            return;
        }
        haveRecord_ = true;
        done(StationText::Done());
    }

    void applyChanges()
    {
        QList<FieldChange> changed;
        const Outcome o = WriteFieldChanges(session_, plan_.changes, &changed, plan_.dryRun);
        report_.changed = FieldNames(changed);
        if (!o.ok()) {
            failed(o, EndOfStep(session_, o));
            return;
        }
        if (!plan_.dryRun && o.kind == OutcomeKind::Done) {
            ImageToRecord(session_.image(), record_);
            haveRecord_ = true;
        }
        done(o.text.isEmpty() ? StationText::Done() : o.text);
    }

    void done(const QString &text)
    {
        report_.ok = true;
        report_.outcome = text;
        report_.end = VisitEnd::Finished;
    }

    void keep()
    {
        const KeepResult kept =
            KeepIfChanged(session_.programDir(), station_.name, record_, session_.clock());
        if (!kept.ok()) {
            report_.ok = false;
            report_.outcome =
                QStringLiteral("%1: %2").arg(WriteFailedText(), FileFaultText(kept.fault));
            return;
        }
        report_.file = kept.file;
        // A change written names its fields already; a backup names them against the last kept.
        if (plan_.changes.isEmpty())
            report_.changed = FieldNames(kept.changed);
    }

    ServiceSession &session_;
    const Station &station_;
    const VisitPlan &plan_;
    StationReport report_;
    ConfigRecord record_;
    bool haveRecord_ = false;
};

} // namespace

VisitEnd EndOfFailedConnect(const Outcome &outcome)
{
    switch (outcome.kind) {
    case OutcomeKind::Interrupted:
        return VisitEnd::Interrupted;
    case OutcomeKind::PortUnavailable:
        return VisitEnd::LineFault;
    case OutcomeKind::DialFailed:
        break;
    default:
        return VisitEnd::Finished;
    }
    switch (outcome.dial.value_or(DialResult::Ok)) {
    case DialResult::NoModem:
    case DialResult::AnswerTimeout:
    case DialResult::NoDialTone:
        return VisitEnd::LineFault;
    case DialResult::Busy:
    case DialResult::NoAnswer:
    case DialResult::NoCarrier:
    case DialResult::TimeUsedUp:
    case DialResult::NotConnected:
        return VisitEnd::CallAgain;
    default:
        return VisitEnd::Finished;
    }
}

StationReport VisitStation(ServiceSession &session, const Station &station, const VisitPlan &plan)
{
    StationReport report = Visit(session, station, plan).run();
    report.name = station.name;
    return report;
}

} // namespace ktv31
