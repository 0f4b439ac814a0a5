// Faults the simulated controller puts into its answers on demand, and their text form.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <optional>

namespace ktv31::sim {

enum class FaultKind
{
    Silence,        // no answer at all
    Stall,          // only the first `bytes` bytes of the answer
    BadCrc,         // the answer with its CRC corrupted
    Garbage,        // `bytes` stray bytes ahead of the start symbol
    WrongHeader,    // table, first field or count of the answer changed by `delta`
    Refusal,        // a refusal with `errorCode`, `reason` (byte 5) and `value` (byte 6)
    CloseMidAnswer, // the first `bytes` bytes, then the line is dropped
    ForgetWrite,    // a write acknowledged as done while the tables keep their old values
    WithholdAnswer  // a write applied and its answer withheld; counts and strikes writes only
};

enum class FaultWhen
{
    Once,
    EveryNth,
    Always
};

enum class HeaderField
{
    Table = 0,
    First = 1,
    Count = 2
};

struct FaultRule
{
    FaultKind kind = FaultKind::Silence;
    FaultWhen when = FaultWhen::Once;
    int every = 1;  // for EveryNth: answers n, 2n, 3n ... counted from when the rule was set
    int bytes = -1; // Stall / CloseMidAnswer: -1 = half the answer; Garbage: -1 = 5
    HeaderField field = HeaderField::First;
    int delta = 1;
    quint8 errorCode = 1;
    quint8 reason = 0;
    quint8 value = 0;
};

// "KIND[=ARGS][@once|@always|@every=N]", for example "stall=2@every=3", "refuse=24,5,1",
// "refuse=60,6" (table 6 destroyed), "header=count,2@always". False with a reason on error.
bool ParseFaultRule(const QString &text, FaultRule &rule, QString *error = nullptr);
QString FaultRuleText(const FaultRule &rule);
// The syntax, for --help.
QString FaultSyntaxHelp();

// What the line is to carry instead of (or as) an answer.
struct FaultedAnswer
{
    QByteArray bytes;
    bool closeAfter = false; // drop the line once these bytes are out
    QString note;            // empty when no fault was applied
};

// The rules in force, each with its own count of answers since it was set. Reproducible: the
// same rules and seed give the same faults, byte for byte, for the same sequence of answers.
class FaultPlan
{
public:
    explicit FaultPlan(quint32 seed = 1) : random_(seed) {}

    void add(const FaultRule &rule) { rules_.append({rule, 0}); }
    void clear() { rules_.clear(); }
    bool isEmpty() const { return rules_.isEmpty(); }
    QList<FaultRule> rules() const;

    // Counts one more answer for every rule; the first rule that fires on it, if any. A fired
    // "once" rule is dropped. A rule for writes only neither counts nor fires on a read.
    std::optional<FaultRule> next(bool write = true);
    // What the line carries when `rule` strikes `answer` (a whole sealed frame).
    FaultedAnswer shape(const FaultRule &rule, const QByteArray &answer);

private:
    struct Armed
    {
        FaultRule rule;
        int answersSeen;
    };
    FaultedAnswer shapeBytes(const FaultRule &rule, const QByteArray &answer);
    QByteArray garbage(int count);

    QList<Armed> rules_;
    QRandomGenerator random_;
};

} // namespace ktv31::sim
