// Numbers of the simulated telephone network, and the network file.
#include "sim/telephonenetwork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

namespace ktv31::sim {

void TelephoneNetwork::add(const QString &number, const NetworkNumber &entry)
{
    QMutexLocker lock(&mutex_);
    numbers_.insert(DigitsOf(number.toLatin1()), Entry{entry, std::nullopt, false});
}

QString TelephoneNetwork::DigitsOf(QByteArrayView dialled)
{
    QString digits;
    for (char c : dialled)
        if (c >= '0' && c <= '9')
            digits.append(QLatin1Char(c));
    return digits;
}

TelephoneNetwork::Answer TelephoneNetwork::call(const QByteArray &dialled)
{
    QMutexLocker lock(&mutex_);
    Answer answer;
    const auto it = numbers_.find(DigitsOf(dialled));
    if (it == numbers_.end())
        return answer;
    switch (it->number.kind) {
    case NumberKind::Busy:
        answer.outcome = DialOutcome::Busy;
        return answer;
    case NumberKind::NoAnswer:
        answer.outcome = DialOutcome::NoAnswer;
        return answer;
    case NumberKind::Station:
        break;
    }
    if (it->inCall) {
        answer.outcome = DialOutcome::Busy;
        return answer;
    }
    it->inCall = true;
    answer.outcome = DialOutcome::Connect;
    answer.controller = it->number.controller;
    answer.tables = it->tables;
    return answer;
}

void TelephoneNetwork::hangUp(const QByteArray &dialled, const ControllerTables &tables)
{
    QMutexLocker lock(&mutex_);
    const auto it = numbers_.find(DigitsOf(dialled));
    if (it == numbers_.end())
        return;
    it->inCall = false;
    it->tables = tables;
}

namespace {

bool ReadStationValue(const QString &key, const QString &value, const QDir &folder, SimOptions &o)
{
    bool ok = true;
    if (key == QLatin1String("version"))
        o.firmwareVersion = quint8(value.toUInt(&ok));
    else if (key == QLatin1String("type"))
        o.typeCode = quint8(value.toUInt(&ok));
    else if (key == QLatin1String("config"))
        o.configFile = folder.absoluteFilePath(value);
    else if (key == QLatin1String("destroyed")) {
        for (const QString &t : value.split(QLatin1Char(','))) {
            const int table = t.toInt(&ok);
            if (!ok || table < 1 || table > 7)
                return false;
            o.destroyedTables.append(table);
        }
    } else
        return false;
    return ok;
}

bool ReadNetworkLine(const QStringList &words, const QDir &folder, TelephoneNetwork &network)
{
    if (words.size() < 2)
        return false;
    NetworkNumber entry;
    if (words[1] == QLatin1String("busy"))
        entry.kind = NumberKind::Busy;
    else if (words[1] == QLatin1String("no-answer"))
        entry.kind = NumberKind::NoAnswer;
    else if (words[1] != QLatin1String("station"))
        return false;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const qsizetype eq = words[i].indexOf(QLatin1Char('='));
        if (eq <= 0 ||
            !ReadStationValue(words[i].left(eq), words[i].mid(eq + 1), folder, entry.controller))
            return false;
    }
    network.add(words[0], entry);
    return true;
}

} // namespace

bool ReadNetworkFile(const QString &path, TelephoneNetwork &network, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!ReadNetworkLine(line.split(QLatin1Char(' '), Qt::SkipEmptyParts), folder, network)) {
            if (error)
                *error = QStringLiteral("%1, строка %2: не понять «%3»")
                             .arg(path)
                             .arg(lineNumber)
                             .arg(line);
            return false;
        }
    }
    return true;
}

} // namespace ktv31::sim
