// Text and JSON forms of identifications, configurations, differences and table states.
#include "cli/output.h"

#include "cli/console.h"
#include "config/tablecaptions.h"
#include "connection/speeddetect.h"
#include "shell/hexbytes.h"
#include "shell/settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ktv31::cli {
namespace {

constexpr int kFirstEditedAddress = 1; // the editor never shows address 0

void PrintJson(const QJsonObject &object)
{
    PrintOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)).trimmed());
}

QJsonObject IdentificationJson(const ConfigView &view)
{
    const QString block = HexText(QByteArrayView(view.block.data(), qsizetype(view.block.size())));
    QJsonArray lines;
    for (const IdentLine &line : view.identification)
        if (line.enabled)
            lines.append(
                QJsonObject{{"label", line.label}, {"value", line.value}, {"alarm", line.alarm}});
    return {{"fromDevice", view.fromDevice}, {"block", block}, {"lines", lines}};
}

QList<const CalculatorView *> ConnectedCalculators(const ConfigView &view)
{
    QList<const CalculatorView *> connected;
    for (const CalculatorView &c : view.calculators)
        if (c.address >= kFirstEditedAddress && c.connected)
            connected.append(&c);
    return connected;
}

QJsonObject ConfigurationJson(const ConfigView &view)
{
    QJsonArray parameters;
    for (const ViewField &field : view.linkParameters)
        parameters.append(QJsonObject{{"name", field.name},
                                      {"key", field.key},
                                      {"label", field.label},
                                      {"value", field.value},
                                      {"text", field.text}});
    QJsonArray calculators;
    for (const CalculatorView *c : ConnectedCalculators(view))
        calculators.append(QJsonObject{{"address", c->address},
                                       {"port", c->portText()},
                                       {"portCode", c->port},
                                       {"speedCode", c->speedCode},
                                       {"speed", c->speed()}});
    return {{"identification", IdentificationJson(view)},
            {"linkParameters", parameters},
            {"modemString", view.modemString},
            {"calculators", calculators}};
}

QString Indented(const QString &text)
{
    return QStringLiteral("  ") + text;
}

} // namespace

QStringList IdentificationLines(const ConfigView &view)
{
    QStringList lines;
    for (const IdentLine &line : view.identification)
        if (line.enabled)
            lines << QStringLiteral("%1: %2").arg(line.label, line.value);
    return lines;
}

void PrintIdentification(const ConfigView &view, bool json)
{
    if (json) {
        PrintJson({{"identification", IdentificationJson(view)}});
        return;
    }
    for (const QString &line : IdentificationLines(view))
        PrintOut(line);
}

void PrintConfiguration(const ConfigView &view, bool json)
{
    if (json) {
        PrintJson(ConfigurationJson(view));
        return;
    }
    PrintOut(IdentificationCaption());
    for (const QString &line : IdentificationLines(view))
        PrintOut(Indented(line));
    PrintOut(LinkParametersCaption());
    for (const ViewField &field : view.linkParameters)
        PrintOut(Indented(QStringLiteral("%1: %2").arg(field.label, field.text)));
    PrintOut(QStringLiteral("%1: %2").arg(ModemStringCaption(), VisibleText(view.modemString)));
    PrintOut(CalculatorsCaption());
    const QList<const CalculatorView *> connected = ConnectedCalculators(view);
    if (connected.isEmpty()) {
        PrintOut(Indented(QStringLiteral("(подключённых нет)")));
        return;
    }
    PrintOut(Indented(QStringLiteral("Адрес  Порт  Скорость обмена ( бит/с )")));
    for (const CalculatorView *c : connected)
        PrintOut(Indented(QStringLiteral("%1  %2  %3")
                              .arg(c->address, 5)
                              .arg(c->portText(), 4)
                              .arg(c->speed(), 15)));
}

void PrintDifferences(const QList<Difference> &differences, bool json)
{
    if (json) {
        QJsonArray list;
        for (const Difference &d : differences)
            list.append(QJsonObject{{"section", d.section},
                                    {"label", d.label},
                                    {"name", d.name.isEmpty() ? QJsonValue() : QJsonValue(d.name)},
                                    {"first", d.first},
                                    {"second", d.second}});
        PrintJson({{"differences", list}});
        return;
    }
    if (differences.isEmpty()) {
        PrintOut(QStringLiteral("Различий нет"));
        return;
    }
    for (const Difference &d : differences)
        PrintOut(QStringLiteral("%1: %2: %3 -> %4").arg(d.section, d.label, d.first, d.second));
}

void PrintTableState(const TableStateBuffer &state, bool json)
{
    QJsonArray tables;
    for (int table = 0; table < ConfigTableCount; ++table) {
        if (!state.Writable(table))
            continue;
        const bool destroyed = state.Destroyed(table);
        if (json)
            tables.append(QJsonObject{
                {"table", table}, {"caption", TableCaption(table)}, {"destroyed", destroyed}});
        else
            PrintOut(QStringLiteral(" Табл. %1.  %2: %3")
                         .arg(table, 2)
                         .arg(TableCaption(table),
                              destroyed ? QStringLiteral("Да") : QStringLiteral("Нет")));
    }
    if (json)
        PrintJson({{"tables", tables}});
}

void PrintDetectedSpeed(int speed, bool json)
{
    if (json) {
        PrintJson({{"speed", speed ? QJsonValue(speed) : QJsonValue()}});
        return;
    }
    if (speed)
        PrintOut(QStringLiteral("%1 %2").arg(SpeedFoundLine1(), SpeedFoundLine2(speed)));
}

} // namespace ktv31::cli
