// The sample exchange: requests framed as the engine frames them, answers as the simulator's.
#include "samplesession.h"

#include "config/tablerequest.h"
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "protocol/framing.h"
#include "sim/answerframe.h"
#include "sim/controllertables.h"
#include "sim/simoptions.h"

namespace ktv31::test {
namespace {

constexpr quint8 kFunction = 29;

QByteArray RequestFrame(const TableRequest &request, int dataLength)
{
    const QByteArray name(UserNameSize, ' ');
    const QByteArray password(PasswordSize, ' ');
    RequestParts parts;
    parts.function = kFunction;
    parts.data = request.data();
    parts.dataLength = dataLength;
    parts.userName = reinterpret_cast<const quint8 *>(name.constData());
    parts.password = reinterpret_cast<const quint8 *>(password.constData());
    FrameBuffer tx{};
    const int length = BuildRequestFrame(parts, tx);
    return QByteArray(reinterpret_cast<const char *>(tx.data()), length);
}

QByteArray ReadRequest(int table, int first, int count)
{
    return RequestFrame(TableRequest::Read(table, first, count), TableRequest::ReadLength);
}

QByteArray ReadAnswer(sim::ControllerTables &tables, int table, int first, int count)
{
    const TableRequest request = TableRequest::Read(table, first, count);
    const QByteArray data(reinterpret_cast<const char *>(request.data()), TableRequest::ReadLength);
    return sim::AnswerFrame(0, quint8(kFunction | AnswerFunctionFlag), tables.serve(data).data);
}

QString ResultLine(const QString &text)
{
    return QStringLiteral("Команда %1.  %2").arg(kFunction).arg(text);
}

} // namespace

std::vector<ExchangeLine> SampleSession(qint64 startMs)
{
    sim::ControllerTables tables{sim::SimOptions{}};
    QByteArray badCrc = ReadAnswer(tables, 3, 0, 8);
    badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 0x5A);
    const QByteArray speeds("\xFF\xFF\x3F\x00", 4);
    const auto at = [startMs](int ms) { return startMs + ms; };
    return {
        {at(0), LogLineKind::Sent, ReadRequest(0, 0, 17), {}},
        {at(212), LogLineKind::Received, ReadAnswer(tables, 0, 0, 17), {}},
        {at(213), LogLineKind::Result, {}, ResultLine(ResultCodeText(Result::Ok))},
        {at(530), LogLineKind::Sent, ReadRequest(3, 0, 8), {}},
        {at(655), LogLineKind::Received, badCrc, {}},
        {at(656), LogLineKind::Result, {}, ResultLine(ResultCodeText(Result::BadCrc))},
        {at(901),
         LogLineKind::Sent,
         RequestFrame(TableRequest::Write(1, 0, 1, speeds), TableRequest::WriteLength(4)),
         {}},
        {at(1010), LogLineKind::Received, sim::RefusalFrame(0, kFunction, 12, 0, 3), {}},
        {at(1011), LogLineKind::Result, {}, ResultLine(ControllerErrorText(12))},
        {at(1400), LogLineKind::Sent, ReadRequest(6, 0, 130), {}},
        {at(3402), LogLineKind::Result, {}, ResultLine(ResultCodeText(Result::NoAnswer))},
    };
}

} // namespace ktv31::test
