// The fault rules of the simulated controller: when they fire and what they do to an answer.
#include "sim/faultplan.h"

#include "protocol/framing.h"
#include "sim/answerframe.h"

#include <QStringList>

namespace ktv31::sim {
namespace {

struct KindName
{
    FaultKind kind;
    const char *name;
};
constexpr KindName kKindNames[] = {
    {FaultKind::Silence, "silence"},         {FaultKind::Stall, "stall"},
    {FaultKind::BadCrc, "badcrc"},           {FaultKind::Garbage, "garbage"},
    {FaultKind::WrongHeader, "header"},      {FaultKind::Refusal, "refuse"},
    {FaultKind::CloseMidAnswer, "close"},    {FaultKind::ForgetWrite, "forget"},
    {FaultKind::WithholdAnswer, "withhold"},
};
constexpr const char *kHeaderNames[] = {"table", "first", "count"};
constexpr int kDefaultGarbage = 5;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool parseByte(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high;
}

bool parseWhen(const QString &text, FaultRule &rule, QString *error)
{
    if (text.isEmpty() || text == QLatin1String("once")) {
        rule.when = FaultWhen::Once;
        return true;
    }
    if (text == QLatin1String("always")) {
        rule.when = FaultWhen::Always;
        return true;
    }
    if (text.startsWith(QLatin1String("every="))) {
        int n = 0;
        if (!parseByte(text.mid(6), 1, 1000000, n))
            return fail(error, QStringLiteral("every= needs a count of at least 1"));
        rule.when = FaultWhen::EveryNth;
        rule.every = n;
        return true;
    }
    return fail(error, QStringLiteral("unknown trigger \"%1\"").arg(text));
}

bool parseArgs(const QStringList &args, FaultRule &rule, QString *error)
{
    int v = 0;
    switch (rule.kind) {
    case FaultKind::Silence:
    case FaultKind::BadCrc:
    case FaultKind::ForgetWrite:
    case FaultKind::WithholdAnswer:
        return args.isEmpty() || fail(error, QStringLiteral("this fault takes no arguments"));
    case FaultKind::Stall:
    case FaultKind::Garbage:
    case FaultKind::CloseMidAnswer:
        if (args.isEmpty())
            return true;
        if (args.size() != 1 || !parseByte(args[0], 0, 255, v))
            return fail(error, QStringLiteral("expected one byte count 0..255"));
        rule.bytes = v;
        return true;
    case FaultKind::WrongHeader: {
        if (args.isEmpty())
            return true;
        const int field = QStringList{kHeaderNames[0], kHeaderNames[1], kHeaderNames[2]}.indexOf(
            args[0].trimmed());
        if (field < 0)
            return fail(error, QStringLiteral("header field is table, first or count"));
        rule.field = HeaderField(field);
        if (args.size() > 2 || (args.size() == 2 && !parseByte(args[1], -255, 255, v)))
            return fail(error, QStringLiteral("header delta is -255..255"));
        if (args.size() == 2)
            rule.delta = v;
        return true;
    }
    case FaultKind::Refusal: {
        if (args.isEmpty() || args.size() > 3)
            return fail(error, QStringLiteral("refuse=CODE[,REASON[,VALUE]]"));
        int values[3] = {0, 0, 0};
        for (int i = 0; i < args.size(); ++i)
            if (!parseByte(args[i], 0, 255, values[i]))
                return fail(error, QStringLiteral("refusal bytes are 0..255"));
        rule.errorCode = quint8(values[0]);
        // "refuse=60,T" names the destroyed table, which travels in byte 6.
        if (rule.errorCode == 60 && args.size() == 2) {
            rule.reason = 0;
            rule.value = quint8(values[1]);
        } else {
            rule.reason = quint8(values[1]);
            rule.value = quint8(values[2]);
        }
        return true;
    }
    }
    return false;
}

} // namespace

bool ParseFaultRule(const QString &text, FaultRule &rule, QString *error)
{
    FaultRule parsed;
    const int at = text.indexOf(QLatin1Char('@'));
    const QString body = (at < 0 ? text : text.left(at)).trimmed();
    const QString when = at < 0 ? QString() : text.mid(at + 1).trimmed();
    const int eq = body.indexOf(QLatin1Char('='));
    const QString name = (eq < 0 ? body : body.left(eq)).trimmed().toLower();
    const QStringList args =
        eq < 0 ? QStringList() : body.mid(eq + 1).split(QLatin1Char(','), Qt::KeepEmptyParts);

    bool known = false;
    for (const KindName &k : kKindNames)
        if (name == QLatin1String(k.name)) {
            parsed.kind = k.kind;
            known = true;
        }
    if (!known)
        return fail(error, QStringLiteral("unknown fault \"%1\"").arg(name));
    if (!parseArgs(args, parsed, error) || !parseWhen(when, parsed, error))
        return false;
    rule = parsed;
    return true;
}

QString FaultRuleText(const FaultRule &rule)
{
    QString text;
    for (const KindName &k : kKindNames)
        if (k.kind == rule.kind)
            text = QLatin1String(k.name);
    switch (rule.kind) {
    case FaultKind::Stall:
    case FaultKind::Garbage:
    case FaultKind::CloseMidAnswer:
        if (rule.bytes >= 0)
            text += QStringLiteral("=%1").arg(rule.bytes);
        break;
    case FaultKind::WrongHeader:
        text += QStringLiteral("=%1,%2")
                    .arg(QLatin1String(kHeaderNames[int(rule.field)]))
                    .arg(rule.delta);
        break;
    case FaultKind::Refusal:
        text += QStringLiteral("=%1,%2,%3").arg(rule.errorCode).arg(rule.reason).arg(rule.value);
        break;
    default:
        break;
    }
    switch (rule.when) {
    case FaultWhen::Once:
        return text + QStringLiteral("@once");
    case FaultWhen::Always:
        return text + QStringLiteral("@always");
    case FaultWhen::EveryNth:
        return text + QStringLiteral("@every=%1").arg(rule.every);
    }
    return text;
}

QString FaultSyntaxHelp()
{
    return QStringLiteral(
        "KIND[=ARGS][@once|@always|@every=N] (default @once), KIND one of:\n"
        "  silence          no answer\n"
        "  stall[=K]        only the first K answer bytes (default half)\n"
        "  badcrc           answer with a corrupted CRC\n"
        "  garbage[=K]      K stray bytes before the start symbol (default 5)\n"
        "  header[=F[,D]]   answer header field F (table|first|count) changed by D (default "
        "first,1)\n"
        "  refuse=E[,R[,V]] refusal with error E, reason R, value V; refuse=60,T names table T\n"
        "  close[=K]        the first K answer bytes (default half), then the line is dropped\n"
        "  forget           a write acknowledged, the tables left as they were (reads unharmed)\n"
        "  withhold         a write applied, its answer withheld (counts writes only)");
}

QList<FaultRule> FaultPlan::rules() const
{
    QList<FaultRule> out;
    for (const Armed &armed : rules_)
        out.append(armed.rule);
    return out;
}

std::optional<FaultRule> FaultPlan::next(bool write)
{
    int firing = -1;
    for (int i = 0; i < rules_.size(); ++i) {
        Armed &armed = rules_[i];
        if (!write && armed.rule.kind == FaultKind::WithholdAnswer)
            continue;
        ++armed.answersSeen;
        const bool fires =
            armed.rule.when != FaultWhen::EveryNth || armed.answersSeen % armed.rule.every == 0;
        if (fires && firing < 0)
            firing = i;
    }
    if (firing < 0)
        return std::nullopt;
    const FaultRule rule = rules_[firing].rule;
    if (rule.when == FaultWhen::Once)
        rules_.removeAt(firing);
    return rule;
}

FaultedAnswer FaultPlan::shape(const FaultRule &rule, const QByteArray &answer)
{
    FaultedAnswer out = shapeBytes(rule, answer);
    out.note = QStringLiteral("fault ") + FaultRuleText(rule);
    return out;
}

FaultedAnswer FaultPlan::shapeBytes(const FaultRule &rule, const QByteArray &answer)
{
    const int half = int(answer.size()) / 2;
    switch (rule.kind) {
    case FaultKind::Silence:
    case FaultKind::WithholdAnswer:
        return {};
    case FaultKind::ForgetWrite:
        return {answer, false, {}};
    case FaultKind::Stall:
        return {answer.left(rule.bytes < 0 ? half : rule.bytes), false, {}};
    case FaultKind::CloseMidAnswer:
        return {answer.left(rule.bytes < 0 ? half : rule.bytes), true, {}};
    case FaultKind::BadCrc: {
        QByteArray bad = answer;
        if (!bad.isEmpty())
            bad[bad.size() - 1] = char(bad[bad.size() - 1] ^ 0x5A);
        return {bad, false, {}};
    }
    case FaultKind::Garbage:
        return {garbage(rule.bytes < 0 ? kDefaultGarbage : rule.bytes) + answer, false, {}};
    case FaultKind::WrongHeader: {
        QByteArray changed = answer;
        const int at = FrameOffset::Data + int(rule.field);
        if (at < changed.size() - 2) {
            changed[at] = char(quint8(changed[at]) + rule.delta);
            Reseal(changed);
        }
        return {changed, false, {}};
    }
    case FaultKind::Refusal: {
        if (answer.size() < MinFrameLength)
            return {answer, false, {}};
        const quint8 function = quint8(answer[FrameOffset::Function]) & quint8(~AnswerFunctionFlag);
        return {RefusalFrame(quint8(answer[FrameOffset::Address]), function, rule.errorCode,
                             rule.reason, rule.value),
                false,
                {}};
    }
    }
    return {answer, false, {}};
}

QByteArray FaultPlan::garbage(int count)
{
    // Never the start symbol, so the stray bytes cannot be taken for an answer.
    QByteArray bytes;
    while (bytes.size() < count) {
        const quint8 b = quint8(random_.bounded(256));
        if (b != AnswerStartSymbol)
            bytes.append(char(b));
    }
    return bytes;
}

} // namespace ktv31::sim
