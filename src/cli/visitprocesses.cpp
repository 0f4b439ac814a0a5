// Starting the visits' worker processes, their progress lines and their reports.
#include "cli/visitprocesses.h"

#include "stations/stationtexts.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ktv31::cli {
namespace {

const char *EndName(VisitEnd end)
{
    switch (end) {
    case VisitEnd::CallAgain:
        return "call-again";
    case VisitEnd::LineFault:
        return "line-fault";
    case VisitEnd::Interrupted:
        return "interrupted";
    case VisitEnd::Finished:
        break;
    }
    return "finished";
}

VisitEnd EndNamed(const QString &name)
{
    for (VisitEnd end : {VisitEnd::CallAgain, VisitEnd::LineFault, VisitEnd::Interrupted})
        if (name == QLatin1String(EndName(end)))
            return end;
    return VisitEnd::Finished;
}

} // namespace

QJsonObject StationReportObject(const StationReport &r)
{
    QJsonArray destroyed;
    for (int t : r.destroyed)
        destroyed.append(t);
    return {
        {QStringLiteral("name"), r.name},
        {QStringLiteral("ok"), r.ok},
        {QStringLiteral("outcome"), r.outcome},
        {QStringLiteral("version"), r.version ? QJsonValue(r.version) : QJsonValue()},
        {QStringLiteral("destroyed"), destroyed},
        {QStringLiteral("file"), r.file.isEmpty() ? QJsonValue() : QJsonValue(r.file)},
        {QStringLiteral("changed"), QJsonArray::fromStringList(r.changed)},
    };
}

QByteArray VisitReportJson(const StationReport &r)
{
    QJsonObject o = StationReportObject(r);
    o.insert(QStringLiteral("end"), QLatin1String(EndName(r.end)));
    o.insert(QStringLiteral("ms"), r.visitMs);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

StationReport VisitReportFromJson(const QByteArray &line, const QString &station)
{
    StationReport r;
    r.name = station;
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (!doc.isObject()) {
        r.outcome = StationText::WorkerFailed();
        return r;
    }
    const QJsonObject o = doc.object();
    r.ok = o.value(QStringLiteral("ok")).toBool();
    r.outcome = o.value(QStringLiteral("outcome")).toString();
    r.version = o.value(QStringLiteral("version")).toInt();
    for (const QJsonValue &t : o.value(QStringLiteral("destroyed")).toArray())
        r.destroyed.append(t.toInt());
    r.file = o.value(QStringLiteral("file")).toString();
    for (const QJsonValue &c : o.value(QStringLiteral("changed")).toArray())
        r.changed.append(c.toString());
    r.end = EndNamed(o.value(QStringLiteral("end")).toString());
    r.visitMs = o.value(QStringLiteral("ms")).toInt();
    return r;
}

VisitProcesses::VisitProcesses(Arguments arguments, QObject *parent)
    : QObject(parent), arguments_(std::move(arguments))
{
}

VisitProcesses::~VisitProcesses()
{
    for (QProcess *p : std::as_const(running_)) {
        p->disconnect(this);
        p->terminate();
        p->waitForFinished(30000);
    }
}

void VisitProcesses::start(int port, const Station &station)
{
    auto *process = new QProcess(this);
    process->setReadChannel(QProcess::StandardError);
    running_.insert(port, process);
    connect(process, &QProcess::readyReadStandardError, this,
            [this, port, process] { readProgress(port, *process); });
    connect(process, &QProcess::finished, this,
            [this, port, process, name = station.name] { finished(port, process, name); });
    connect(process, &QProcess::errorOccurred, this,
            [this, port, process, name = station.name](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart)
                    finished(port, process, name);
            });
    process->start(QCoreApplication::applicationFilePath(), arguments_(port, station));
}

void VisitProcesses::interruptAll()
{
    interrupted_ = true;
    // Each hangs up and closes its line, as for its own Ctrl-C.
    for (QProcess *p : std::as_const(running_))
        p->terminate();
}

void VisitProcesses::readProgress(int port, QProcess &process)
{
    while (process.canReadLine()) {
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        if (!line.isEmpty())
            emit progress(port, line);
    }
}

void VisitProcesses::finished(int port, QProcess *process, const QString &station)
{
    if (running_.value(port) != process)
        return;
    running_.remove(port);
    readProgress(port, *process);
    const QList<QByteArray> out = process->readAllStandardOutput().trimmed().split('\n');
    StationReport report = VisitReportFromJson(out.last(), station);
    if (interrupted_ && !report.ok)
        report.end = VisitEnd::Interrupted;
    process->deleteLater();
    if (round_)
        round_->visitEnded(port, report);
}

} // namespace ktv31::cli
