// The per-table report of a write, as JSON on standard output.
#include "cli/writereport.h"

#include "cli/console.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ktv31::cli {

QJsonObject WriteReportJson(const Outcome &outcome)
{
    QJsonArray tables;
    for (const TableWriteEntry &entry : outcome.tables) {
        QJsonObject table{{"table", entry.table},
                          {"state", TableWriteStateName(entry.state)},
                          {"text", TableWriteStateText(entry.state)}};
        if (entry.firstNotSent >= 0)
            table.insert("notSent", QJsonArray{entry.firstNotSent, entry.lastNotSent});
        if (!entry.difference.isEmpty())
            table.insert("difference", entry.difference);
        tables.append(table);
    }
    return {{"written", outcome.kind == OutcomeKind::Done},
            {"text", outcome.detail},
            {"tables", tables}};
}

void PrintWriteReport(const Outcome &outcome)
{
    const QJsonDocument document(WriteReportJson(outcome));
    PrintOut(QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed());
}

} // namespace ktv31::cli
