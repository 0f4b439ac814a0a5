// Figures of station rounds: the scaling over lines, the round's own cost per station, the book.
#include "stationbench.h"

#include "report.h"

#include "shell/monoclock.h"
#include "shell/settings.h"
#include "stations/stationbook.h"
#include "stations/stationround.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace ktv31::bench {
namespace {

constexpr int kBookStations = 1000;
constexpr double kBookGoalMs = 100;
constexpr int kRoundStations = 24;
constexpr double kScalingMargin = 1.15;
constexpr double kOverheadGoalMs = 50;
constexpr int kDialDelayMs = 300; // the simulated modems' time from ATD to CONNECT

QString Tool(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

bool WriteText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A round's program folder: the tool, its settings, the book, and four simulated lines behind
// INI/COM1..COM4 of one telephone network.
class RoundRig
{
public:
    bool start(QString *error)
    {
        dir_ = dir.path() + QLatin1Char('/');
        QDir(dir_).mkpath(QStringLiteral("INI"));
        ConnectionSettings settings = ConnectionSettings::Defaults();
        settings.setSpeed(115200);
        QByteArray network, book("name;phone\n");
        for (int i = 1; i <= kRoundStations; ++i) {
            network += QByteArray::number(1000 + i) + " station version=5\n";
            book += "station" + QByteArray::number(i) + ';' + QByteArray::number(1000 + i) + '\n';
        }
        if (!QFile::copy(Tool(QStringLiteral("ktv31-cli")), dir_ + QStringLiteral("ktv31-cli")) ||
            !SaveSettings(SettingsFilePath(dir_), settings) ||
            !WriteText(dir_ + QStringLiteral("network.txt"), network) ||
            !WriteText(dir_ + QStringLiteral("book.csv"), book)) {
            *error = QStringLiteral("program folder not prepared");
            return false;
        }
        QStringList args{QStringLiteral("--network"),
                         dir_ + QStringLiteral("network.txt"),
                         QStringLiteral("--modem-guard"),
                         QStringLiteral("40"),
                         QStringLiteral("--modem-dial-delay"),
                         QString::number(kDialDelayMs),
                         QStringLiteral("--no-log")};
        for (int n = 1; n <= 4; ++n)
            args << QStringLiteral("--link") << dir_ + QStringLiteral("INI/COM%1").arg(n);
        sim_.start(Tool(QStringLiteral("ktv31-sim")), args);
        // The simulator prints each line's device once its link is in place.
        while (sim_.waitForReadyRead(5000) && sim_.readAllStandardOutput().count('\n') < 4) {
        }
        if (!QFile::exists(dir_ + QStringLiteral("INI/COM4"))) {
            *error = QStringLiteral("simulator did not start");
            return false;
        }
        return true;
    }

    ~RoundRig()
    {
        sim_.terminate();
        sim_.waitForFinished(5000);
    }

    struct Run
    {
        double wallMs = 0;
        double visitsMs = 0; // the visits' own time, summed
        int done = 0;
    };

    Run round(const QString &lines)
    {
        QDir(dir_ + QStringLiteral("CONFIG/stations")).removeRecursively();
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KTV31_FAST_MODEM"), QStringLiteral("1"));
        tool.setProcessEnvironment(env);
        const qint64 start = NowNs();
        tool.start(dir_ + QStringLiteral("ktv31-cli"),
                   {QStringLiteral("stations"), QStringLiteral("backup"),
                    dir_ + QStringLiteral("book.csv"), QStringLiteral("--lines"), lines,
                    QStringLiteral("--json"), QStringLiteral("--no-log")});
        tool.waitForFinished(600000);
        Run run;
        run.wallMs = double(NowNs() - start) / 1e6;
        QFile journal(dir_ + QStringLiteral("CONFIG/stations/journal.jsonl"));
        if (journal.open(QIODevice::ReadOnly))
            while (!journal.atEnd()) {
                const QJsonObject o = QJsonDocument::fromJson(journal.readLine()).object();
                run.visitsMs += o.value(QStringLiteral("ms")).toDouble();
                run.done += o.value(QStringLiteral("ok")).toBool() ? 1 : 0;
            }
        return run;
    }

    QTemporaryDir dir;

private:
    QString dir_;
    QProcess sim_;
};

} // namespace

void ReportStationBook(Report &report)
{
    QByteArray book("name;phone;port;speed;connect_wait;modem_init\n");
    for (int i = 0; i < kBookStations; ++i)
        book += QStringLiteral("ГРС %1;8 (495) 555-%2;;9600;60;ATZ^ATS0=0\n")
                    .arg(i)
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .toUtf8();
    std::vector<double> samples;
    for (int run = 0; run < 5; ++run) {
        const qint64 start = NowNs();
        const StationBook read = ParseStationBook(book);
        const bool checked = read.ok() && !RoundLinesFault(read.stations, {1, 2, 3, 4});
        samples.push_back(checked ? double(NowNs() - start) / 1e6 : 1e9);
    }
    const Summary s = Summarise(samples);
    report.figure(QStringLiteral("station book of %1 stations read and checked (median of 5)")
                      .arg(kBookStations),
                  Ms(s.median, 1), QStringLiteral("< %1").arg(Ms(kBookGoalMs, 0)),
                  s.median < kBookGoalMs);
}

void ReportStationRounds(Report &report)
{
    RoundRig rig;
    QString error;
    if (!rig.start(&error)) {
        report.figure(QStringLiteral("station round"), error, QStringLiteral("works"), false);
        return;
    }
    const RoundRig::Run one = rig.round(QStringLiteral("1"));
    if (one.done != kRoundStations) {
        report.figure(QStringLiteral("station round, 1 line"),
                      QStringLiteral("%1 of %2 done").arg(one.done).arg(kRoundStations),
                      QStringLiteral("all done"), false);
        return;
    }
    report.info(QStringLiteral("round of %1 stations, 1 line (dial %2 ms, shortened modem waits)")
                    .arg(kRoundStations)
                    .arg(kDialDelayMs),
                Ms(one.wallMs, 0));
    const double overhead = (one.wallMs - one.visitsMs) / kRoundStations;
    report.info(QStringLiteral("  one visit on its line, mean"),
                Ms(one.visitsMs / kRoundStations, 0));
    report.figure(QStringLiteral("  the round's own cost per station beyond the visit"),
                  Ms(overhead, 1), QStringLiteral("<= %1").arg(Ms(kOverheadGoalMs, 0)),
                  overhead <= kOverheadGoalMs);
    for (int k : {2, 4}) {
        QStringList lines;
        for (int n = 1; n <= k; ++n)
            lines << QString::number(n);
        const RoundRig::Run run = rig.round(lines.join(QLatin1Char(',')));
        const double goal = kScalingMargin * one.wallMs / k;
        report.figure(QStringLiteral("round of %1 stations, %2 lines (%3 done)")
                          .arg(kRoundStations)
                          .arg(k)
                          .arg(run.done),
                      Ms(run.wallMs, 0), QStringLiteral("<= %1").arg(Ms(goal, 0)),
                      run.wallMs <= goal && run.done == kRoundStations);
    }
}

} // namespace ktv31::bench
