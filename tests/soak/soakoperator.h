// The soak's operator: never waits, gives up at every question and tells when exchanges run.
#pragma once

#include "shell/operatorseam.h"

namespace ktv31::soak {

// Told by the operator when the exchange engine's activity panel goes on and off, which is
// once at the start and once at the end of every exchange.
class ExchangeObserver
{
public:
    virtual ~ExchangeObserver() = default;
    virtual void exchangeStarted() = 0;
    virtual void exchangeFinished() = 0;
};

class SoakOperator final : public Operator
{
public:
    explicit SoakOperator(ExchangeObserver &observer) : observer_(observer) {}

    // "Нет" to every question, so that a failed step ends its operation at once.
    bool ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2) override;
    void SetStatusText(int panel, const QString &text) override;
    QString ChooseOpenFile(const FileChoice &) override { return {}; }
    QString ChooseSaveFile(const FileChoice &) override { return {}; }

    int messageCount() const { return messages_; }
    QString lastMessage() const { return lastMessage_; }

private:
    ExchangeObserver &observer_;
    int messages_ = 0;
    QString lastMessage_;
};

} // namespace ktv31::soak
