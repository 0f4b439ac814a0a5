// The record's named fields: what a value given by name stores, what is refused and left alone,
// and that the description accounts for every byte of a configuration file.
#include "config/recordconversion.h"
#include "config/recordfields.h"

#include <QtTest>

using namespace ktv31;

namespace {

ConfigRecord Generation(int generation)
{
    ConfigRecord record;
    NewConfigRecord(record, generation);
    return record;
}

} // namespace

class TestRecordFields : public QObject
{
    Q_OBJECT
private slots:
    void everyByteBelongsToOneFieldOrSpan();
    void valueByNameStoresTheDocumentedBytes_data();
    void valueByNameStoresTheDocumentedBytes();
    void refusedChangesLeaveTheRecordAlone_data();
    void refusedChangesLeaveTheRecordAlone();
    void changedFieldsAreNamed();
};

void TestRecordFields::everyByteBelongsToOneFieldOrSpan()
{
    std::array<int, RecordSize> owners{};
    for (const RecordField &field : RecordFields())
        for (int i = 0; i < field.size; ++i)
            ++owners[size_t(field.recordOffset + i)];
    for (const RecordSpan &span : UnnamedSpans())
        for (int i = 0; i < span.size; ++i)
            ++owners[size_t(span.offset + i)];
    for (int offset = 0; offset < RecordSize; ++offset)
        QVERIFY2(
            owners[size_t(offset)] == 1,
            qPrintable(QStringLiteral("byte %1 has %2 owners").arg(offset).arg(owners[offset])));
}

// Offsets and codes as the record's layout and the speed table document them.
void TestRecordFields::valueByNameStoresTheDocumentedBytes_data()
{
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readBack"); // as get prints it; empty: the value given
    QTest::newRow("link speed in bit/s") << "link.speed=9600" << 38 << QByteArray("\x0B", 1) << "";
    QTest::newRow("a number") << "link.reply_preambles=7" << 39 << QByteArray("\x07", 1) << "";
    QTest::newRow("answer wait at its top")
        << "link.answer_wait=255" << 44 << QByteArray("\xFF", 1) << "";
    QTest::newRow("a list word") << "link.priority=high" << 41 << QByteArray("\x00", 1) << "";
    QTest::newRow("the list's own text")
        << "link.retry_delay=Большая" << 43 << QByteArray("\x01", 1) << "long";
    QTest::newRow("RTS on a long table")
        << "link.rts=required" << 45 << QByteArray("\x01", 1) << "";
    QTest::newRow("modem string with its CR")
        << "modem.init=AT&F" << 1083 << QByteArray("AT&F\r\0", 6) << "";
    QTest::newRow("Cyrillic text in Windows-1251")
        << "modem.init=ATЖ" << 1083 << QByteArray("AT\xC6\r", 4) << "";
    QTest::newRow("empty modem string") << "modem.init=" << 1083 << QByteArray(4, '\0') << "";
    QTest::newRow("calculator port letter")
        << "calc.12.port=c" << 100 << QByteArray("\x03", 1) << "C";
    QTest::newRow("calculator speed")
        << "calc.254.speed=19200" << 827 << QByteArray("\x0F", 1) << "";
}

void TestRecordFields::valueByNameStoresTheDocumentedBytes()
{
    QFETCH(QString, assignment);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, readBack);
    QString error;
    const auto changes = ParseAssignments({assignment}, &error);
    QVERIFY2(changes, qPrintable(error));
    ConfigRecord record = Generation(5);
    const ConfigRecord before = record;
    QVERIFY(!ApplyAssignments(record, *changes));
    QCOMPARE(record.slice(offset, int(bytes.size())), bytes);
    // Nothing but the field's own bytes moved.
    const RecordField &field = *FindField(changes->first().name);
    for (int at = 0; at < RecordSize; ++at)
        if (at < field.recordOffset || at >= field.recordOffset + field.size)
            QCOMPARE(record.u8(at), before.u8(at));
    QCOMPARE(FieldValue(record, field), readBack.isEmpty() ? changes->first().value : readBack);
}

void TestRecordFields::refusedChangesLeaveTheRecordAlone_data()
{
    QTest::addColumn<int>("generation");
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<QString>("named"); // what the refusal must say
    QTest::newRow("unknown name") << 5 << QStringList{"link.sped=9600"} << "link.sped";
    QTest::newRow("address 0") << 5 << QStringList{"calc.0.speed=9600"} << "1...254";
    QTest::newRow("address 255") << 5 << QStringList{"calc.255.port=A"} << "адрес 255";
    QTest::newRow("not a speed of the table") << 5 << QStringList{"link.speed=1000"} << "300 | 600";
    QTest::newRow("a raw code is no speed") << 5 << QStringList{"calc.3.speed=11"} << "=11";
    QTest::newRow("number above range")
        << 5 << QStringList{"link.request_preambles=256"} << "0...255";
    QTest::newRow("negative number") << 5 << QStringList{"link.answer_wait=-1"} << "0...255";
    QTest::newRow("port D") << 5 << QStringList{"calc.3.port=D"} << "A | B | C";
    QTest::newRow("control character") << 5 << QStringList{"modem.init=AT\aZ"} << "0x07";
    QTest::newRow("63 characters") << 5 << QStringList{"modem.init=" + QString(63, 'A')} << "62";
    QTest::newRow("not in Windows-1251") << 5 << QStringList{"modem.init=AT中"} << "1251";
    QTest::newRow("RTS on a short table") << 3 << QStringList{"link.rts=required"} << "версии ПО 3";
    QTest::newRow("identification is read only")
        << 5 << QStringList{"ident.type=7"} << "ident.type";
    QTest::newRow("connected without a port")
        << 5 << QStringList{"calc.9.connected=1"} << "calc.9.port";
    QTest::newRow("a good change before a bad one")
        << 5 << QStringList{"link.speed=9600", "calc.3.port=D"} << "calc.3.port";
}

void TestRecordFields::refusedChangesLeaveTheRecordAlone()
{
    QFETCH(int, generation);
    QFETCH(QStringList, assignments);
    QFETCH(QString, named);
    ConfigRecord record = Generation(generation);
    const ConfigRecord before = record;
    QString error;
    const auto changes = ParseAssignments(assignments, &error);
    const std::optional<QString> refusal =
        changes ? ApplyAssignments(record, *changes) : std::optional<QString>(error);
    QVERIFY(refusal);
    QVERIFY2(refusal->contains(named), qPrintable(*refusal));
    QCOMPARE(record.toBytes(), before.toBytes());
}

void TestRecordFields::changedFieldsAreNamed()
{
    const ConfigRecord before = Generation(5);
    ConfigRecord after = before;
    const auto changes = ParseAssignments(
        {"calc.12.connected=1", "calc.12.port=B", "calc.12.speed=9600", "modem.init=ATZ"}, nullptr);
    QVERIFY(changes && !ApplyAssignments(after, *changes));
    QStringList named;
    for (const FieldChange &change : ChangedFields(before, after))
        named << QStringLiteral("%1: %2 -> %3").arg(change.name, change.before, change.after);
    QCOMPARE(named, (QStringList{"modem.init:  -> ATZ", "calc.12.connected: 0 -> 1",
                                 "calc.12.port:  -> B", "calc.12.speed: 300 -> 9600"}));
    QVERIFY(ChangedFields(after, after).isEmpty());
}

QTEST_APPLESS_MAIN(TestRecordFields)
#include "tst_recordfields.moc"
