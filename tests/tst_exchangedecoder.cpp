// Tests of the exchange decoder: every request layout, answers, refusals and faults of frames, and
// the rows of a session with modem lines, results and their timing.
#include "config/exchangedecoder.h"
#include "protocol/framing.h"
#include "shell/exchangelog.h"
#include "shell/hexbytes.h"

#include <QJsonArray>
#include <QtTest>

using namespace ktv31;

namespace {

enum class Given
{
    Alone,    // bytes without a line: the start symbol decides
    Request,  // a TX line
    AnswerTo, // an RX line after the TX line of `request`
};

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

// Length byte and CRC put on a frame laid out from its start symbol to its last data byte.
QByteArray Sealed(QByteArray frame)
{
    frame[FrameOffset::Length] = char(frame.size() + 2);
    const quint16 crc = Crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

QByteArray Request(const QByteArray &data, quint8 function = 29)
{
    return Sealed(Bytes({RequestStartSymbol, 0, 0, function}) + data);
}

QByteArray Answer(const QByteArray &data, quint8 functionByte = 29 | AnswerFunctionFlag)
{
    return Sealed(Bytes({AnswerStartSymbol, 0, 0, functionByte}) + data);
}

QByteArray ReadData(int table, int first, int count)
{
    return Bytes({table, first, count, 0, 0, 0});
}

QByteArray WriteData(int table, int first, int count, const QByteArray &values)
{
    return Bytes({0, 0, 0, table, first, count}) + values;
}

QByteArray Refusal(int error, int reason = 0, int value = 0)
{
    return Answer(Bytes({error, reason, value}), 29);
}

QByteArray OtherRequest(quint8 function, const QByteArray &data, quint8 extra = 0)
{
    FrameBuffer tx{};
    const QByteArray name("ADMIN       ");
    const QByteArray password("1234");
    RequestParts parts;
    parts.function = function;
    parts.data = reinterpret_cast<const quint8 *>(data.constData());
    parts.dataLength = int(data.size());
    parts.extraByte = extra;
    parts.userName = reinterpret_cast<const quint8 *>(name.constData());
    parts.password = reinterpret_cast<const quint8 *>(password.constData());
    const int length = BuildRequestFrame(parts, tx);
    return QByteArray(reinterpret_cast<const char *>(tx.data()), length);
}

// The identification of a version-5 controller built 14 June 2024 at 09:30:15.
const QByteArray kIdent = QByteArray::fromHex("0008020518060E091E0F01010000020100");
const QByteArray kLinkParameters = QByteArray::fromHex("0B03050100010501");
const QByteArray kModemString = QByteArray("AT&F\r").leftJustified(64, '\0');
const QByteArray kSpeedMasks = QByteArray::fromHex("04080000FFFF3F00");
const QByteArray kDestroyed = QByteArray::fromHex("0000000100010000");

// One block of each table the decoder names, and what its values must read as.
struct Block
{
    int table;
    int first;
    int count;
    QByteArray values;
    QStringList reads;
};

QList<Block> Blocks()
{
    return {
        {0,
         0,
         17,
         kIdent.left(17),
         {"\"Общие параметры идентификации\"", "Код типа контроллера: 8",
          "Версия программного обеспечения: 5 (Чтение и запись)",
          "Дата создания ПО: 14.06.24  09:30:15", "Номер последней версии протокола: 2.1.0",
          "Наличие разрушенных таблиц: Разрушенных таблиц нет"}},
        {1,
         0,
         2,
         kSpeedMasks,
         {"\"Наличие значения скорости обмена\"", "Скорости обмена с ВУ: 1200, 9600",
          "Скорости обмена с вычислителями: все"}},
        {3,
         0,
         8,
         kLinkParameters,
         {"\"Параметры связи\"", "Скорость обмена с ВУ: 9600 бит/с", "Приоритет: Низкий",
          "Задержка перед повторной попыткой занять порт: Большая",
          "Длительность ожидания ответа от вычислителя: 5 * 20 мс + 1000 мс = 1100 мс",
          "Необходимость управления сигналом RTS в канале связи с ВУ: Требуется"}},
        {5, 0, 1, kModemString, {"\"Командная строка модема\"", "\"AT&F\\r\""}},
        {6,
         10,
         3,
         QByteArray::fromHex("6B008B"),
         {"\"Скорость обмена с подкл. вычислителем и порт подключения\"",
          "адрес 10: порт C, 9600; адрес 11: не подключен; адрес 12: неизвестный порт 4, 9600"}},
        {7, 0, 8, kDestroyed, {"\"Требуется восстановление таблицы \"", "разрушены таблицы 3, 5"}},
    };
}

QString Range(int first, int count)
{
    return count == 1 ? QStringLiteral("(поле %1)").arg(first)
                      : QStringLiteral("(поля %1-%2)").arg(first).arg(first + count);
}

} // namespace

class TestExchangeDecoder : public QObject
{
    Q_OBJECT

private slots:
    void framesDecoded_data();
    void framesDecoded();
    void rowsOfASession();
    void rowTextAndJson();
    void logLinesParseBack_data();
    void logLinesParseBack();
};

void TestExchangeDecoder::framesDecoded_data()
{
    QTest::addColumn<Given>("given");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("exact");         // the whole summary, when given
    QTest::addColumn<QStringList>("fragments"); // each in the summary
    QTest::addColumn<QStringList>("absent");    // none in the summary
    QTest::addColumn<bool>("fault");

    for (const Block &b : Blocks()) {
        const QString range = Range(b.first, b.count);
        const QByteArray read = Request(ReadData(b.table, b.first, b.count));
        QTest::addRow("read table %d", b.table)
            << Given::Request << QByteArray() << read << QString()
            << QStringList{QStringLiteral(
                               "Запрос, функция 29, контроллер 0: Чтение из таблицы %1 %2")
                               .arg(b.table)
                               .arg(range),
                           b.reads.front()}
            << QStringList{b.reads.back()} << false;
        QTest::addRow("answer to the read of table %d", b.table)
            << Given::AnswerTo << read << Answer(Bytes({b.table, b.first, b.count}) + b.values)
            << QString()
            << (QStringList{QStringLiteral("Ответ, функция 29, контроллер 0: таблица %1 %2")
                                .arg(b.table)
                                .arg(range)}
                << b.reads)
            << QStringList() << false;
        const QByteArray write = Request(WriteData(b.table, b.first, b.count, b.values));
        QTest::addRow("write table %d", b.table)
            << Given::Request << QByteArray() << write << QString()
            << (QStringList{
                    QStringLiteral("Запрос, функция 29, контроллер 0: Запись в таблицу %1 %2")
                        .arg(b.table)
                        .arg(range)}
                << b.reads)
            << QStringList() << false;
        QTest::addRow("answer to the write of table %d", b.table)
            << Given::AnswerTo << write << Answer(Bytes({b.table, b.first, b.count})) << QString()
            << QStringList{QStringLiteral("таблица %1 %2").arg(b.table).arg(range),
                           "запись выполнена"}
            << QStringList() << false;
    }
    QTest::newRow("table 3 of seven fields has no RTS control")
        << Given::Request << QByteArray() << Request(WriteData(3, 0, 7, kLinkParameters.left(7)))
        << QString() << QStringList{"Запись в таблицу 3 (поля 0-7)", "= 1100 мс"}
        << QStringList{"RTS"} << false;
    QTest::newRow("a whole read of table 6 counts the unconnected")
        << Given::Alone << QByteArray()
        << Answer(Bytes({6, 0, 130}) + QByteArray(7, '\0') + Bytes({0x4B}) + QByteArray(122, '\0'))
        << QString() << QStringList{"адрес 7: порт B, 9600; не подключено адресов: 129"}
        << QStringList{"адрес 0:"} << false;

    // Refusals, with and without the request they answer.
    QTest::newRow("error 12")
        << Given::Alone << QByteArray() << Refusal(12)
        << QStringLiteral("Отказ, функция 29, контроллер 0: Запись в таблицу не допускается")
        << QStringList() << QStringList() << true;
    QTest::newRow("error 24, reason 5")
        << Given::AnswerTo << Request(ReadData(0, 0, 17)) << Refusal(24, 5)
        << QStringLiteral("Отказ, функция 29, контроллер 0: Управление агрегатом невозможно: Обрыв "
                          "цепи концевого выключателя  (\"Закрыто\")")
        << QStringList() << QStringList() << true;
    QTest::newRow("error 24, reason 49 names the table")
        << Given::Alone << QByteArray() << Refusal(24, 49, 3) << QString()
        << QStringList{"Управление агрегатом невозможно: Разрушена таблица 3"} << QStringList()
        << true;
    QTest::newRow("error 24, reason without a text")
        << Given::Alone << QByteArray() << Refusal(24, 52) << QString()
        << QStringList{"Код причины в ответе 52"} << QStringList() << true;
    QTest::newRow("error 60 names the destroyed table")
        << Given::Alone << QByteArray() << Refusal(60, 0, 5)
        << QStringLiteral(
               "Отказ, функция 29, контроллер 0: Разрушена таблица 5 \"Командная строка модема\"")
        << QStringList() << QStringList() << true;
    QTest::newRow("error 70 has no text")
        << Given::Alone << QByteArray() << Refusal(70) << QString()
        << QStringList{"Отказ", "Код ошибки = 70"} << QStringList() << true;
    QTest::newRow("error 0 has no text")
        << Given::Alone << QByteArray() << Answer(Bytes({0}), 29) << QString()
        << QStringList{"Код ошибки = 0"} << QStringList() << true;
    QTest::newRow("any function byte but the request's is a refusal")
        << Given::AnswerTo << Request(ReadData(0, 0, 17)) << Answer(Bytes({13}), 30 | 0x80)
        << QString() << QStringList{"Отказ, функция 29", "Нет такого поля в таблице"}
        << QStringList() << true;

    // Faults of the frame itself.
    QByteArray badCrc = Request(ReadData(0, 0, 17));
    badCrc[badCrc.size() - 1] = char(badCrc.back() ^ 1);
    QTest::newRow("wrong CRC")
        << Given::Alone << QByteArray() << badCrc
        << QStringLiteral(
               "Запрос, функция 29, контроллер 0: Чтение из таблицы 0 (поля 0-17) \"Общие "
               "параметры идентификации\"; CRC неверна")
        << QStringList() << QStringList() << true;
    QByteArray badAnswer = Answer(Bytes({0, 0, 17}) + kIdent.left(17));
    badAnswer[10] = char(badAnswer[10] ^ 0x40);
    QTest::newRow("wrong CRC, decoded all the same")
        << Given::Alone << QByteArray() << badAnswer << QString()
        << QStringList{"Код типа контроллера: 8", "CRC неверна"} << QStringList() << true;
    const QByteArray links =
        Answer(Bytes({6, 0, 130}) + QByteArray(7, '\0') + Bytes({0x4B}) + QByteArray(122, '\0'));
    QTest::newRow("cut frame, decoded as far as it goes")
        << Given::AnswerTo << Request(ReadData(6, 0, 130)) << links.left(20) << QString()
        << QStringList{"таблица 6 (поля 0-130)", "адрес 7: порт B, 9600", "кадр неполный"}
        << QStringList{"CRC неверна", "Несоответствие"} << true;
    QTest::newRow("cut before the length")
        << Given::Alone << QByteArray() << Bytes({0x33, 0}) << QString()
        << QStringList{"Ответ", "контроллер 0", "кадр неполный"} << QStringList{"функция"} << true;
    QTest::newRow("over-long frame")
        << Given::Alone << QByteArray() << Refusal(12) + Bytes({0x33, 0x00}) << QString()
        << QStringList{"Запись в таблицу не допускается", "лишние байты после кадра: 2"}
        << QStringList{"CRC неверна"} << true;
    QTest::newRow("length byte below 6")
        << Given::Alone << QByteArray() << Bytes({0x33, 0, 3, 0x9D, 1, 2}) << QString()
        << QStringList{"неверная длина кадра 3"} << QStringList() << true;
    QTest::newRow("no start symbol")
        << Given::Alone << QByteArray() << Bytes({0x12, 0x34}) << QString()
        << QStringList{"нет стартового символа", "байт без кадра: 2"} << QStringList() << true;
    QTest::newRow("preambles")
        << Given::Request << QByteArray() << Bytes({0xFF, 0xFF, 0xFF}) + Request(ReadData(0, 0, 17))
        << QString() << QStringList{"Запрос, функция 29, контроллер 0, преамбул 3: Чтение"}
        << QStringList() << false;
    QTest::newRow("stray bytes before the answer")
        << Given::Alone << QByteArray() << Bytes({0xFF, 0x01, 0x02}) + Refusal(12) << QString()
        << QStringList{"преамбул 1, лишних байт перед кадром 2", "Запись в таблицу"}
        << QStringList() << true;
    QTest::newRow("answer after a false start, as the receiver takes it")
        << Given::AnswerTo << Request(ReadData(0, 0, 17))
        << Bytes({0x33, 0x05, 0x33, 0x00, 0x03}) + Refusal(12) << QString()
        << QStringList{"лишних байт перед кадром 5", "Запись в таблицу не допускается"}
        << QStringList{"кадр неполный", "неверная длина"} << true;
    QTest::newRow("answer for another block than asked")
        << Given::AnswerTo << Request(ReadData(6, 0, 130))
        << Answer(Bytes({6, 1, 130}) + QByteArray(130, '\0')) << QString()
        << QStringList{"Несоответствие запрошенных и переданных данных"} << QStringList() << true;
    QTest::newRow("values short of the fields")
        << Given::Alone << QByteArray() << Answer(Bytes({3, 0, 8}) + kLinkParameters.left(7))
        << QString() << QStringList{"значений 7 байт, а полей на 8 байт"} << QStringList() << true;
    QTest::newRow("values short of one whole field")
        << Given::Request << QByteArray() << Request(WriteData(1, 0, 3, Bytes({0x0B, 0, 1})))
        << QString()
        << QStringList{"(поля 0-3) \"Наличие значения скорости обмена\"; значений 3 "
                       "байт, а полей на 12 байт"}
        << QStringList() << true;
    QTest::newRow("read with bytes of a write")
        << Given::Alone << QByteArray() << Request(ReadData(0, 0, 17) + Bytes({1})) << QString()
        << QStringList{"длина кадра не по формату функции 29"} << QStringList() << true;

    // The other request layouts the engine knows.
    QTest::newRow("function 1")
        << Given::Request << QByteArray() << OtherRequest(1, Bytes({1, 2, 3}), 5) << QString()
        << QStringList{"Запрос, функция 1, контроллер 0: доп. байт 5, данные "
                       "01 02 03"}
        << QStringList() << false;
    QTest::newRow("function 2") << Given::Request << QByteArray()
                                << OtherRequest(2, Bytes({9, 8}), 7) << QString()
                                << QStringList{"пользователь \"ADMIN\", доп. байт 7, данные 09 08"}
                                << QStringList{"1234"} << false;
    QTest::newRow("function 7") << Given::Request << QByteArray()
                                << OtherRequest(7, QByteArray(7, '\x11')) << QString()
                                << QStringList{"функция 7", "данные 11 11 11 11 11 11 11"}
                                << QStringList() << false;
    QByteArray identified(15, '\0');
    identified[FrameOffset::RequestIdentifier - FrameOffset::Data] = char(2 << 6);
    QTest::newRow("function 8") << Given::Request << QByteArray() << OtherRequest(8, identified)
                                << QString() << QStringList{"идентификатор запроса 2"}
                                << QStringList() << false;
    QTest::newRow("answer to function 8")
        << Given::AnswerTo << OtherRequest(8, identified)
        << Answer(Bytes({0, 0, 3 << 6}), 8 | AnswerFunctionFlag) << QString()
        << QStringList{"Ответ, функция 8", "идентификатор в ответе 3"} << QStringList() << false;
    for (const int function : {9, 11, 12, 25}) {
        const RequestLayout *layout = FindRequestLayout(quint8(function));
        QTest::addRow("function %d", function)
            << Given::Request << QByteArray()
            << OtherRequest(quint8(function), QByteArray(layout->fixedData, '\0')) << QString()
            << QStringList{QStringLiteral("функция %1").arg(function), "пользователь \"ADMIN\""}
            << QStringList() << false;
    }
    QTest::newRow("function 7 of the wrong length")
        << Given::Request << QByteArray() << Request(QByteArray(6, '\0'), 7) << QString()
        << QStringList{"длина кадра не по формату функции 7"} << QStringList() << true;
    QTest::newRow("unknown function")
        << Given::Request << QByteArray() << Request(Bytes({1, 2}), 3) << QString()
        << QStringList{"неизвестный код функции 3", "данные 01 02"} << QStringList() << true;
}

void TestExchangeDecoder::framesDecoded()
{
    QFETCH(Given, given);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, exact);
    QFETCH(QStringList, fragments);
    QFETCH(QStringList, absent);
    QFETCH(bool, fault);

    DecodedRow row;
    ExchangeDecoder decoder;
    switch (given) {
    case Given::Alone:
        row = DecodeFrameBytes(bytes);
        break;
    case Given::Request:
        row = decoder.decode({1000, LogLineKind::Sent, bytes, {}});
        QCOMPARE(row.kind, RowKind::Request);
        break;
    case Given::AnswerTo:
        decoder.decode({1000, LogLineKind::Sent, request, {}});
        row = decoder.decode({1010, LogLineKind::Received, bytes, {}});
        QCOMPARE(row.kind, RowKind::Answer);
        break;
    }
    if (!exact.isEmpty())
        QCOMPARE(row.summary, exact);
    for (const QString &fragment : fragments)
        QVERIFY2(row.summary.contains(fragment),
                 qPrintable(QStringLiteral("\"%1\" not in \"%2\"").arg(fragment, row.summary)));
    for (const QString &fragment : absent)
        QVERIFY2(!row.summary.contains(fragment), qPrintable(row.summary));
    QCOMPARE(row.fault, fault);
    QCOMPARE(row.bytes, bytes);
}

// Modem lines, results and notes are rows too; each row knows the time since the one before, and
// an answer is judged against the latest request.
void TestExchangeDecoder::rowsOfASession()
{
    const QByteArray read = Request(ReadData(3, 0, 8));
    const QList<ExchangeLine> lines{
        {1000, LogLineKind::ModemCommand, QByteArray("ATD123\r"), {}},
        {1900, LogLineKind::ModemAnswer, QByteArray("\r\nBUSY\r\n"), {}},
        {1900, LogLineKind::Result, {}, QStringLiteral("Номер абонента занят")},
        {2500, LogLineKind::ModemAnswer, QByteArray("\r\nCONNECT 9600\r\n"), {}},
        {2500, LogLineKind::Result, {}, QStringLiteral("Соединение установлено")},
        {2512, LogLineKind::Sent, read, {}},
        {2530, LogLineKind::Received, Answer(Bytes({3, 0, 8}) + kLinkParameters), {}},
        {2530, LogLineKind::Result, {}, QStringLiteral("Команда 29.  Команда выполнена")},
        {2600, LogLineKind::Sent, Request(ReadData(5, 0, 1)), {}},
        {2610, LogLineKind::Received, Answer(Bytes({3, 0, 8}) + kLinkParameters), {}},
        {4610, LogLineKind::Result, {}, QStringLiteral("Команда 29.  Устройство не отвечает")},
        {4611, LogLineKind::Note, {}, QStringLiteral("a note\x1b[2J")},
    };
    struct Expected
    {
        RowKind kind;
        qint64 sinceLast;
        bool fault;
        QString fragment;
    };
    const QList<Expected> expected{
        {RowKind::ModemCommand, -1, false, "Модем, команда: ATD123\\r"},
        {RowKind::ModemAnswer, 900, true, "Модем, ответ: \\r\\nBUSY\\r\\n — Номер абонента занят"},
        {RowKind::Result, 0, true, "Номер абонента занят"},
        {RowKind::ModemAnswer, 600, false, "CONNECT 9600"},
        {RowKind::Result, 0, false, "Соединение установлено"},
        {RowKind::Request, 12, false, "Чтение из таблицы 3"},
        {RowKind::Answer, 18, false, "Скорость обмена с ВУ: 9600 бит/с"},
        {RowKind::Result, 0, false, "Команда выполнена"},
        {RowKind::Request, 70, false, "Чтение из таблицы 5"},
        {RowKind::Answer, 10, true, "Несоответствие запрошенных и переданных данных"},
        {RowKind::Result, 2000, true, "Устройство не отвечает"},
        {RowKind::Note, 1, false, "a note\\x1b[2J"},
    };
    ExchangeDecoder decoder;
    for (int i = 0; i < lines.size(); ++i) {
        const DecodedRow row = decoder.decode(lines[i]);
        const Expected &e = expected[i];
        QVERIFY2(row.summary.contains(e.fragment), qPrintable(row.summary));
        QCOMPARE(row.kind, e.kind);
        QCOMPARE(row.sinceLastMs, e.sinceLast);
        QCOMPARE(row.fault, e.fault);
        QCOMPARE(row.timeMs, lines[i].msSinceEpoch);
    }
}

void TestExchangeDecoder::rowTextAndJson()
{
    ExchangeDecoder decoder;
    const QByteArray write = Request(WriteData(5, 0, 1, kModemString));
    decoder.decode({1000, LogLineKind::Sent, write, {}});
    const QByteArray refusal = Refusal(12);
    const DecodedRow row = decoder.decode({1042, LogLineKind::Received, refusal, {}});

    const QString text = RowText(row);
    QVERIFY2(text.startsWith(QDateTime::fromMSecsSinceEpoch(1042).toString(
                 QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("+42 мс  RX     ! Отказ, функция 29")), qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral("[") + QString::fromLatin1(HexBytes(refusal)) + "]"));

    const QJsonObject json = RowJson(row);
    QCOMPARE(json.value("kind").toString(), QStringLiteral("answer"));
    QCOMPARE(json.value("sinceLastMs").toInt(), 42);
    QCOMPARE(json.value("fault").toBool(), true);
    QCOMPARE(json.value("bytes").toString(), QString::fromLatin1(HexBytes(refusal)));
    const QJsonObject frame = json.value("frame").toObject();
    QCOMPARE(frame.value("refusal").toBool(), true);
    QCOMPARE(frame.value("error").toInt(), 12);
    QCOMPARE(frame.value("errorText").toString(),
             QStringLiteral("Запись в таблицу не допускается"));
    QCOMPARE(frame.value("crc").toString(), QStringLiteral("right"));

    const QJsonObject request = RowJson(DecodeFrameBytes(write));
    QVERIFY(request.value("time").isNull());
    const QJsonObject block = request.value("frame").toObject();
    QCOMPARE(block.value("table").toInt(), 5);
    QCOMPARE(block.value("caption").toString(), QStringLiteral("Командная строка модема"));
    QCOMPARE(block.value("access").toString(), QStringLiteral("write"));
    QCOMPARE(block.value("count").toInt(), 1);
}

void TestExchangeDecoder::logLinesParseBack_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    QTest::newRow("TX") << int(LogLineKind::Sent) << Request(ReadData(0, 0, 17)) << QString();
    QTest::newRow("RX") << int(LogLineKind::Received) << everyByte << QString();
    QTest::newRow("modem command, every byte")
        << int(LogLineKind::ModemCommand) << everyByte << QString();
    QTest::newRow("modem answer") << int(LogLineKind::ModemAnswer) << QByteArray("\r\nOK\\r\r\n")
                                  << QString();
    QTest::newRow("result") << int(LogLineKind::Result) << QByteArray()
                            << QStringLiteral("Команда 29.  Команда выполнена");
    QTest::newRow("note") << int(LogLineKind::Note) << QByteArray() << QStringLiteral("x y");
}

// What the log writes comes back unchanged, so decode-log sees the exchange as it was.
void TestExchangeDecoder::logLinesParseBack()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const ExchangeLine line{1733000000123, LogLineKind(kind), bytes, text};
    const QByteArray formatted = ExchangeLog::FormatLine(line.msSinceEpoch, line.kind, bytes, text);
    const std::optional<ExchangeLine> parsed = ExchangeLog::ParseLine(formatted);
    QVERIFY2(parsed.has_value(), formatted.constData());
    QCOMPARE(*parsed, line);
    QVERIFY(ExchangeLog::ParseLine(formatted + "\r").has_value());
    QVERIFY(!ExchangeLog::ParseLine(formatted.mid(1)).has_value());
}

QTEST_GUILESS_MAIN(TestExchangeDecoder)
#include "tst_exchangedecoder.moc"
