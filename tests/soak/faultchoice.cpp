// Choice of faults and the engine's result for each: what a struck attempt gives, and whether a
// later attempt can still succeed.
#include "faultchoice.h"

#include "protocol/exchangeengine.h"

namespace ktv31::soak {
namespace {

using sim::FaultKind;
using sim::FaultRule;

constexpr FaultKind kKinds[] = {
    FaultKind::Silence,     FaultKind::Stall,   FaultKind::BadCrc,        FaultKind::Garbage,
    FaultKind::WrongHeader, FaultKind::Refusal, FaultKind::CloseMidAnswer};
constexpr int kKindCount = int(sizeof kKinds / sizeof kKinds[0]);
// Stalls and drops cut the answer after 0..8 bytes, or after half of it (-1); every answer of
// function 29 has at least 9, so the cut always falls inside it.
constexpr int kCutLow = -1;
constexpr int kCutHigh = 8;
constexpr int kMostGarbage = 40;
constexpr int kHighestErrorCode = 70; // past the 64 the controller has texts for

int Between(QRandomGenerator &random, int low, int high)
{
    return low + int(random.bounded(quint32(high - low + 1)));
}

FaultRule RuleOf(FaultKind kind, QRandomGenerator &random)
{
    FaultRule rule;
    rule.kind = kind;
    rule.when = sim::FaultWhen::Once;
    switch (kind) {
    case FaultKind::Stall:
    case FaultKind::CloseMidAnswer:
        rule.bytes = Between(random, kCutLow, kCutHigh);
        break;
    case FaultKind::Garbage:
        rule.bytes = Between(random, 1, kMostGarbage);
        break;
    case FaultKind::WrongHeader:
        rule.field = sim::HeaderField(Between(random, 0, 2));
        rule.delta = Between(random, 1, 255);
        break;
    case FaultKind::Refusal:
        // Half of them a refused valve switching, which has a result code of its own.
        rule.errorCode =
            random.bounded(2) ? ErrorValveSwitching : quint8(Between(random, 0, kHighestErrorCode));
        rule.reason = quint8(Between(random, 0, 60));
        rule.value = quint8(Between(random, 0, 7));
        break;
    case FaultKind::Silence:
    case FaultKind::BadCrc:
    case FaultKind::ForgetWrite:
    case FaultKind::WithholdAnswer:
        break;
    }
    return rule;
}

// The answer has begun, for the engine, once its start symbol and address have come.
bool CutBeforeAddress(const FaultRule &rule)
{
    return rule.bytes == 0 || rule.bytes == 1;
}

} // namespace

std::optional<PlannedFault> ChooseFault(QRandomGenerator &random, int attempts)
{
    if (random.bounded(FaultOneIn) != 0)
        return std::nullopt;
    PlannedFault fault;
    fault.rule = RuleOf(kKinds[random.bounded(kKindCount)], random);
    fault.struckAttempts = Between(random, 1, std::max(attempts, 1));
    return fault;
}

Result ExpectedResult(const std::optional<PlannedFault> &fault, int attempts)
{
    if (!fault)
        return Result::Ok;
    const FaultRule &rule = fault->rule;
    switch (rule.kind) {
    case FaultKind::Garbage:     // stray bytes before the start symbol are skipped
    case FaultKind::WrongHeader: // a valid answer: only the transfer can tell the wrong block
        return Result::Ok;
    case FaultKind::CloseMidAnswer:
        // The line is gone, whichever attempt it struck: told as such, and no attempt follows.
        return Result::LineLost;
    default:
        break;
    }
    if (fault->struckAttempts < attempts)
        return Result::Ok; // a clean attempt follows
    switch (rule.kind) {
    case FaultKind::Silence:
        return Result::NoAnswer;
    case FaultKind::Stall:
        return CutBeforeAddress(rule) ? Result::NoAnswer : Result::AnswerIncomplete;
    case FaultKind::BadCrc:
        return Result::BadCrc;
    case FaultKind::Refusal:
        return rule.errorCode == ErrorValveSwitching ? Result::ValveRefused : Result::Refused;
    default:
        return Result::Ok;
    }
}

bool AnswersWrongBlock(const std::optional<PlannedFault> &fault, bool read)
{
    return read && fault && fault->rule.kind == FaultKind::WrongHeader;
}

QString FaultText(const PlannedFault &fault)
{
    return QStringLiteral("%1 on %2 attempt(s)")
        .arg(sim::FaultRuleText(fault.rule))
        .arg(fault.struckAttempts);
}

QString FaultKindName(const sim::FaultRule &rule)
{
    return sim::FaultRuleText(rule).section(QLatin1Char('@'), 0, 0).section(QLatin1Char('='), 0, 0);
}

} // namespace ktv31::soak
