// Tests of the configuration image/record conversions and of loading and saving configuration
// files.
#include "config/configbackup.h"
#include "config/configfile.h"
#include "config/configtexts.h"
#include "config/recordconversion.h"
#include "config/writecheck.h"
#include "shell/settings.h"
#include "support/filesizelimit.h"
#include "support/scriptedoperator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ktv31;
using ktv31::test::ScriptedOperator;

namespace {

QByteArray patternBytes(int size, int seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + seed) & 0xFF);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ConfigRecord sampleRecord(int seed)
{
    ConfigRecord record;
    record.assign(patternBytes(RecordSize, seed));
    record.setU8(RecordOffset::TypeCode, ServedTypeCode);
    return record;
}

} // namespace

class TstConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void linkBytesThroughBothConversions_data();
    void linkBytesThroughBothConversions();
    void imageToRecordTakesTable3BySoftwareVersion_data();
    void imageToRecordTakesTable3BySoftwareVersion();
    void recordToImageLeavesIdentificationAndSpeedMasks();
    void newRecordDefaults();
    void newRecordAsksForGeneration_data();
    void newRecordAsksForGeneration();

    void olderLayoutIsConverted();
    void parseBySize_data();
    void parseBySize();

    void loadOffersTheConfigurationChooser();
    void loadRejectsNonConfiguration_data();
    void loadRejectsNonConfiguration();
    void loadReportsUnreadableFile();

    void saveUnderOfferedNameAsksWhenTaken();
    void saveAsksBeforeReplacingAnotherFile();
    void saveAppendsExtensionToNewName_data();
    void saveAppendsExtensionToNewName();
    void saveAskFirstAndCancel();
    void savedExtensionNameAsksWhenTaken();
    void recordSpeedCodeKeepsToItsBits();
    void saveReportsOpenFailure_data();
    void saveReportsOpenFailure();
    void saveReportsFailedWriteAndKeepsOldFile();
    void writeContentIsChecked_data();
    void writeContentIsChecked();
    void backupsKeepTheNewest();
    void backupThatCannotBeWritten();

private:
    QString configFolder() const { return ConfigFolder(context_.programDir); }
    QString inConfig(const QString &name) const { return configFolder() + QLatin1Char('/') + name; }

    std::unique_ptr<QTemporaryDir> dir_;
    ConfigFileContext context_;
    ScriptedOperator op_;
    ConfigImage image_;
    const QDate today_{2026, 12, 8};
};

void TstConfigFile::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    context_ = ConfigFileContext{dir_->path() + QLatin1Char('/'), QString()};
    QVERIFY(QDir().mkdir(configFolder()));
    op_ = ScriptedOperator();
    image_ = ConfigImage();
    image_.setU8(ImageOffset::SoftwareVersion, 5);
}

void TstConfigFile::linkBytesThroughBothConversions_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<int>("connected");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("back");
    QTest::newRow("port C") << 0x6B << 1 << 3 << 11 << 0x6B;
    QTest::newRow("port 4 is no port") << 0x8B << 0 << 4 << 11 << 0x0B;
    QTest::newRow("port A top speed") << 0x35 << 1 << 1 << 21 << 0x35;
    QTest::newRow("not connected") << 0x0B << 0 << 0 << 11 << 0x0B;
    QTest::newRow("port 7") << 0xFF << 0 << 7 << 31 << 0x1F;
}

void TstConfigFile::linkBytesThroughBothConversions()
{
    QFETCH(int, link);
    QFETCH(int, connected);
    QFETCH(int, port);
    QFETCH(int, speed);
    QFETCH(int, back);

    const int address = 200;
    image_.setLinkByteAt(address, quint8(link));
    ConfigRecord record;
    ImageToRecord(image_, record);
    const int entry = LinkEntry::OffsetOf(address);
    QCOMPARE(record.u8(entry + LinkEntry::Connected), connected);
    QCOMPARE(record.u8(entry + LinkEntry::Port), port);
    QCOMPARE(record.u8(entry + LinkEntry::SpeedCode), speed);

    ConfigImage back_image;
    RecordToImage(record, back_image);
    QCOMPARE(back_image.LinkByteAt(address), back);
    QCOMPARE(back_image.LinkByteAt(address - 1), 0);

    // Through the editor untouched, the byte stays as the controller holds it, whatever the
    // record made of it; edited, it is what the entry says.
    ConfigImage applied = image_;
    ApplyRecordEdits(record, record, applied);
    QCOMPARE(applied.toBytes(), image_.toBytes());
    ConfigRecord edited = record;
    edited.setU8(entry + LinkEntry::Connected, 1);
    edited.setU8(entry + LinkEntry::Port, 2);
    ApplyRecordEdits(record, edited, applied);
    QCOMPARE(applied.LinkByteAt(address), LinkByte::Make(2, quint8(speed)));
    QCOMPARE(applied.LinkByteAt(address - 1), image_.LinkByteAt(address - 1));
}

void TstConfigFile::imageToRecordTakesTable3BySoftwareVersion_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("copied");
    QTest::newRow("3") << 3 << 7;
    QTest::newRow("4") << 4 << 7;
    QTest::newRow("5") << 5 << 8;
    QTest::newRow("6") << 6 << 8;
    QTest::newRow("0") << 0 << 8;
    QTest::newRow("7") << 7 << 8;
}

void TstConfigFile::imageToRecordTakesTable3BySoftwareVersion()
{
    QFETCH(int, version);
    QFETCH(int, copied);

    ConfigImage image;
    image.assign(patternBytes(ImageSize, 1));
    image.setU8(ImageOffset::SoftwareVersion, quint8(version));
    ConfigRecord record;
    record.fill(0, RecordSize, 0xEE); // what the caller prepared

    ImageToRecord(image, record);
    QCOMPARE(record.u8(RecordOffset::Marker), 1);
    QCOMPARE(record.slice(RecordOffset::Identification, IdentificationSize), image.slice(0, 17));
    QCOMPARE(record.slice(RecordOffset::LinkParameters, copied),
             image.slice(ImageOffset::LinkParameters, copied));
    if (copied == 7)
        QCOMPARE(record.u8(RecordOffset::LinkParameters + 7), 0xEE);
    QCOMPARE(record.slice(RecordOffset::ModemString, ModemStringSize),
             image.slice(ImageOffset::ModemString, ModemStringSize));
    // Reserved areas stay as prepared.
    QCOMPARE(record.slice(18, 20), QByteArray(20, char(0xEE)));
    QCOMPARE(record.slice(828, 255), QByteArray(255, char(0xEE)));
    QCOMPARE(record.slice(1147, 100), QByteArray(100, char(0xEE)));
}

void TstConfigFile::recordToImageLeavesIdentificationAndSpeedMasks()
{
    ConfigImage image;
    image.assign(patternBytes(ImageSize, 3));
    const QByteArray untouched = image.slice(0, ImageOffset::LinkParameters);
    ConfigRecord record = sampleRecord(9);
    record.setU8(RecordOffset::SoftwareVersion, 3); // still 8 bytes of table 3

    RecordToImage(record, image);
    QCOMPARE(image.slice(0, ImageOffset::LinkParameters), untouched);
    QCOMPARE(image.slice(ImageOffset::LinkParameters, 8),
             record.slice(RecordOffset::LinkParameters, 8));
    QCOMPARE(image.slice(ImageOffset::ModemString, 64),
             record.slice(RecordOffset::ModemString, 64));
}

void TstConfigFile::newRecordDefaults()
{
    ConfigRecord record = sampleRecord(5);
    QVERIFY(NewConfigRecord(record, 5));
    ConfigRecord expected;
    expected.setU8(2, 8);
    expected.setU8(4, 5);
    expected.setU8(38, 2);
    expected.setU8(39, 3);
    expected.setU8(40, 5);
    expected.setU8(41, 1);
    QCOMPARE(record.toBytes(), expected.toBytes());
}

void TstConfigFile::newRecordAsksForGeneration_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("made");
    QTest::newRow("3") << 3 << true;
    QTest::newRow("5") << 5 << true;
    QTest::newRow("cancelled") << 0 << false;
}

void TstConfigFile::newRecordAsksForGeneration()
{
    QFETCH(int, answer);
    QFETCH(bool, made);
    const ConfigRecord before = sampleRecord(6);
    ConfigRecord record = before;
    int asked = 0;
    QCOMPARE(NewConfigRecord(record, 0,
                             [&] {
                                 ++asked;
                                 return answer;
                             }),
             made);
    QCOMPARE(asked, 1);
    if (made)
        QCOMPARE(record.u8(RecordOffset::SoftwareVersion), answer);
    else
        QCOMPARE(record.toBytes(), before.toBytes());

    QVERIFY(!NewConfigRecord(record, 0)); // nobody to ask
}

void TstConfigFile::olderLayoutIsConverted()
{
    const QByteArray old = patternBytes(OldRecordOffset::Size, 11);
    const ConfigFileResult result = ParseConfigFile(old);
    QVERIFY(result.ok());

    ConfigRecord expected;
    expected.setU8(RecordOffset::TypeCode, 8);
    expected.setU8(RecordOffset::SoftwareVersion, 3);
    expected.setSlice(38, 7, old.mid(0, 7));
    expected.setSlice(63, 765, old.mid(25, 765));
    expected.setSlice(1083, 64, old.mid(1045, 64));
    QCOMPARE(result.record.toBytes(), expected.toBytes());
    QCOMPARE(result.record.u8(RecordOffset::Marker), 0);
}

void TstConfigFile::parseBySize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("typeByte");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1247, type 8") << 1247 << 8 << true;
    QTest::newRow("longer, type 8") << 1400 << 8 << true;
    QTest::newRow("1247, type 7") << 1247 << 7 << false;
    QTest::newRow("500 bytes") << 500 << 8 << false;
    QTest::newRow("1246 bytes") << 1246 << 8 << false;
    QTest::newRow("1212 bytes") << 1212 << 8 << false;
    QTest::newRow("empty") << 0 << 8 << false;
}

void TstConfigFile::parseBySize()
{
    QFETCH(int, size);
    QFETCH(int, typeByte);
    QFETCH(bool, accepted);
    QByteArray bytes = patternBytes(size, 2);
    if (size > RecordOffset::TypeCode)
        bytes[RecordOffset::TypeCode] = char(typeByte);

    const ConfigFileResult result = ParseConfigFile(bytes);
    QCOMPARE(result.ok(), accepted);
    if (accepted)
        QCOMPARE(result.record.toBytes(), bytes.left(RecordSize));
    else
        QCOMPARE(result.error, ConfigFileError::NotConfiguration);
}

void TstConfigFile::loadOffersTheConfigurationChooser()
{
    ConfigRecord record;
    QVERIFY(!LoadConfigFile(context_, op_, record)); // cancelled
    QVERIFY(op_.messages.isEmpty());
    QCOMPARE(op_.openChoices.size(), 1);
    const FileChoice &choice = op_.openChoices.first();
    QCOMPARE(choice.title, QStringLiteral("Выбор файла с параметрами конфигурации"));
    QCOMPARE(QDir(choice.initialFolder).absolutePath(), QDir(configFolder()).absolutePath());
    QVERIFY(choice.filter.startsWith(QStringLiteral("Data Files (*.cnf)")));
    QCOMPARE(choice.filterIndex, 1);
    QVERIFY(choice.fileName.isEmpty());
    QVERIFY(choice.mustExist && choice.hideReadOnly && choice.keepCurrentDir);
    QVERIFY(!choice.confirmOverwrite);

    const ConfigRecord stored = sampleRecord(4);
    const QString path = inConfig(QStringLiteral("good.cnf"));
    QVERIFY(writeFile(path, stored.toBytes()));
    op_.queueOpenFile(path);
    QVERIFY(LoadConfigFile(context_, op_, record));
    QCOMPARE(record.toBytes(), stored.toBytes());
    QCOMPARE(context_.currentPath, path);
    QVERIFY(op_.messages.isEmpty());
}

void TstConfigFile::loadRejectsNonConfiguration_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray type7 = sampleRecord(1).toBytes();
    type7[RecordOffset::TypeCode] = 7;
    QTest::newRow("1247 bytes, type 7") << type7;
    QTest::newRow("500 bytes") << sampleRecord(1).toBytes().left(500);
}

void TstConfigFile::loadRejectsNonConfiguration()
{
    QFETCH(QByteArray, content);
    const QString path = inConfig(QStringLiteral("other.cnf"));
    QVERIFY(writeFile(path, content));
    op_.queueOpenFile(path);
    ConfigRecord record;
    QVERIFY(!LoadConfigFile(context_, op_, record));
    QCOMPARE(op_.messages.size(), 1);
    const ScriptedOperator::Message &m = op_.messages.first();
    QCOMPARE(m.kind, MessageBoxKind::Notice);
    QCOMPARE(m.line1, QStringLiteral("Файл other.cnf не является файлом конфигурации"));
    QCOMPARE(m.line2, QStringLiteral("контроллера ktv31-ar"));
}

void TstConfigFile::loadReportsUnreadableFile()
{
    const QString path = inConfig(QStringLiteral("missing.cnf"));
    op_.queueOpenFile(path);
    ConfigRecord record;
    QVERIFY(!LoadConfigFile(context_, op_, record));
    QCOMPARE(op_.messages.size(), 1);
    QCOMPARE(op_.messages.first().kind, MessageBoxKind::Error);
    QCOMPARE(op_.messages.first().line1, QStringLiteral("Ошибка открытия файла"));
    QCOMPARE(op_.messages.first().line2, QStringLiteral("файла нет"));
    QCOMPARE(context_.currentPath, path);
}

// The file under the offered name may be one saved earlier the same day: it is not replaced
// without a word either.
void TstConfigFile::saveUnderOfferedNameAsksWhenTaken()
{
    const QString offered = inConfig(QStringLiteral("ktv31-ar5-261208.cnf"));
    QVERIFY(writeFile(offered, QByteArray("old content")));
    ConfigRecord record = sampleRecord(7);
    record.setU8(RecordOffset::SoftwareVersion, 3); // the name follows the image, not the record
    op_.queueSaveFile(offered);
    op_.queueAnswers({false});
    QVERIFY(!SaveConfigFile(context_, op_, image_, record, false, today_));
    QCOMPARE(readFile(offered), QByteArray("old content"));
    QCOMPARE(op_.saveChoices.size(), 2); // "Нет": the dialog again, then cancelled
    QCOMPARE(op_.messages.size(), 1);
    QCOMPARE(op_.messages[0].line1, QStringLiteral("Файл ktv31-ar5-261208.cnf уже есть."));

    op_.clearRecords();
    op_.queueSaveFile(offered);
    op_.queueAnswers({true});

    QVERIFY(SaveConfigFile(context_, op_, image_, record, false, today_));
    QCOMPARE(op_.saveChoices.size(), 1);
    const FileChoice &choice = op_.saveChoices.first();
    QCOMPARE(choice.fileName, offered);
    QCOMPARE(choice.title, QStringLiteral("Выбор файла для записи параметров конфигурации"));
    QVERIFY(!choice.mustExist && !choice.hideReadOnly && !choice.keepCurrentDir &&
            !choice.confirmOverwrite);
    QVERIFY(choice.filter.startsWith(QStringLiteral("Data Files (*.cnf)")));

    QCOMPARE(readFile(offered), record.toBytes());
    QCOMPARE(op_.messages.size(), 2);
    QCOMPARE(op_.messages.last().kind, MessageBoxKind::Notice);
    QCOMPARE(op_.messages.last().line1, QStringLiteral("Параметры конфигурации"));
    QCOMPARE(op_.messages.last().line2, QStringLiteral("сохранены в файле ktv31-ar5-261208.cnf"));
    QCOMPARE(QDir(configFolder()).entryList(QDir::Files).size(), 1); // no temporary left
}

void TstConfigFile::saveAsksBeforeReplacingAnotherFile()
{
    const QString other = inConfig(QStringLiteral("mine.cnf"));
    QVERIFY(writeFile(other, QByteArray("keep me")));
    const ConfigRecord record = sampleRecord(8);
    op_.queueSaveFile(other);
    op_.queueAnswers({false, true});
    op_.queueSaveFile(other); // offered now, and still asked about

    QVERIFY(SaveConfigFile(context_, op_, image_, record, false, today_));
    QCOMPARE(op_.saveChoices.size(), 2);
    QCOMPARE(op_.saveChoices[1].fileName, other);
    QCOMPARE(op_.messages.size(), 3);
    QCOMPARE(op_.messages[0].kind, MessageBoxKind::Question);
    QCOMPARE(op_.messages[0].line1, QStringLiteral("Файл mine.cnf уже есть."));
    QCOMPARE(op_.messages[0].line2, QStringLiteral("Вы хотите заменить существующий файл?"));
    QCOMPARE(readFile(other), record.toBytes());

    // "Да" replaces at once.
    op_.clearRecords();
    const ConfigRecord second = sampleRecord(9);
    op_.queueSaveFile(other);
    op_.queueAnswers({true});
    QVERIFY(SaveConfigFile(context_, op_, image_, second, false, today_));
    QCOMPARE(op_.saveChoices.size(), 1);
    QCOMPARE(readFile(other), second.toBytes());
}

void TstConfigFile::saveAppendsExtensionToNewName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "station12"
                                  << "station12.cnf";
    QTest::newRow("empty extension") << "station12."
                                     << "station12.cnf";
    QTest::newRow("own extension kept") << "station12.bak"
                                        << "station12.bak";
}

void TstConfigFile::saveAppendsExtensionToNewName()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    const ConfigRecord record = sampleRecord(10);
    op_.queueSaveFile(inConfig(typed));
    QVERIFY(SaveConfigFile(context_, op_, image_, record, false, today_));
    QCOMPARE(readFile(inConfig(saved)), record.toBytes());
    if (typed != saved)
        QVERIFY(!QFile::exists(inConfig(typed)));
    QCOMPARE(context_.currentPath, inConfig(saved));
    QCOMPARE(op_.messages.last().line2, QStringLiteral("сохранены в файле %1").arg(saved));
}

void TstConfigFile::savedExtensionNameAsksWhenTaken()
{
    const QString taken = inConfig(QStringLiteral("station7.cnf"));
    QVERIFY(writeFile(taken, QByteArray("keep me")));
    op_.queueSaveFile(inConfig(QStringLiteral("station7")));
    op_.queueAnswers({false});
    QVERIFY(!SaveConfigFile(context_, op_, image_, sampleRecord(3), false, today_));
    QCOMPARE(op_.messages.size(), 1);
    QCOMPARE(op_.messages[0].line1, QStringLiteral("Файл station7.cnf уже есть."));
    QCOMPARE(readFile(taken), QByteArray("keep me"));
}

void TstConfigFile::recordSpeedCodeKeepsToItsBits()
{
    ConfigRecord record;
    const int entry = LinkEntry::OffsetOf(9);
    record.setU8(entry + LinkEntry::Connected, 1);
    record.setU8(entry + LinkEntry::Port, 1);
    record.setU8(entry + LinkEntry::SpeedCode, 40);
    RecordToImage(record, image_);
    QCOMPARE(LinkByte::Port(image_.LinkByteAt(9)), 1);
}

void TstConfigFile::saveAskFirstAndCancel()
{
    const ConfigRecord record = sampleRecord(11);
    op_.queueAnswers({false});
    QVERIFY(!SaveConfigFile(context_, op_, image_, record, true, today_));
    QCOMPARE(op_.messages.size(), 1);
    QCOMPARE(op_.messages[0].kind, MessageBoxKind::Question);
    QCOMPARE(op_.messages[0].line1, QStringLiteral("Сохранить параметры конфигурации в файле?"));
    QVERIFY(op_.saveChoices.isEmpty());

    op_.clearRecords();
    op_.queueAnswers({true}); // then the chooser is cancelled
    QVERIFY(!SaveConfigFile(context_, op_, image_, record, true, today_));
    QCOMPARE(op_.saveChoices.size(), 1);
    QCOMPARE(op_.messages.size(), 1);
    QVERIFY(QDir(configFolder()).entryList(QDir::Files).isEmpty());
}

void TstConfigFile::saveReportsOpenFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("existing");
    QTest::newRow("folder missing") << QStringLiteral("nowhere/x.cnf") << false;
    QTest::newRow("target is a folder") << QStringLiteral("folder.cnf") << true;
}

void TstConfigFile::saveReportsOpenFailure()
{
    QFETCH(QString, name);
    QFETCH(bool, existing);
    if (existing)
        QVERIFY(QDir().mkdir(inConfig(name)));
    op_.queueSaveFile(inConfig(name));
    op_.queueAnswers({true}); // replace the existing one

    QVERIFY(!SaveConfigFile(context_, op_, image_, sampleRecord(12), false, today_));
    const ScriptedOperator::Message &last = op_.messages.last();
    QCOMPARE(last.kind, MessageBoxKind::Error);
    QCOMPARE(last.line1, QStringLiteral("Ошибка открытия файла"));
    QCOMPARE(op_.messagesOfKind(MessageBoxKind::Notice).size(), 0);
    QCOMPARE(QFileInfo(inConfig(name)).isDir(), existing);
}

void TstConfigFile::saveReportsFailedWriteAndKeepsOldFile()
{
#ifdef Q_OS_UNIX
    const QString target = inConfig(QStringLiteral("ktv31-ar5-261208.cnf"));
    const QByteArray old = sampleRecord(13).toBytes();
    QVERIFY(writeFile(target, old));
    op_.queueSaveFile(target);
    op_.queueAnswers({true}); // replace it
    bool saved = true;
    {
        test::FileSizeLimit limit(RecordSize / 2);
        saved = SaveConfigFile(context_, op_, image_, sampleRecord(14), false, today_);
    }
    QVERIFY(!saved);
    QCOMPARE(op_.messages.size(), 2);
    QCOMPARE(op_.messages[1].kind, MessageBoxKind::Error);
    QCOMPARE(op_.messages[1].line1, QStringLiteral("Ошибка записи файла"));
    QCOMPARE(op_.messages[1].line2,
             QStringLiteral("ktv31-ar5-261208.cnf: данные записаны не полностью"));
    QCOMPARE(readFile(target), old);
    QCOMPARE(QDir(configFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    QCOMPARE(WriteConfigFile(target, sampleRecord(15)), ConfigFileError::None);
    QCOMPARE(readFile(target), sampleRecord(15).toBytes());
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void TstConfigFile::writeContentIsChecked_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes"); // put at `offset` of a new generation-5 record
    QTest::addColumn<QList<int>>("tables");
    QTest::addColumn<int>("fields");     // of table 3
    QTest::addColumn<int>("faultTable"); // 0: no fault
    QTest::addColumn<QString>("named");
    const QList<int> all{3, 5, 6};
    const int link9 = LinkEntry::OffsetOf(9);
    const int modem = RecordOffset::ModemString;
    using namespace LinkFieldOffset;
    QTest::newRow("a new record") << 0 << QByteArray() << all << 8 << 0 << QString();
    QTest::newRow("speed code 21")
        << UpperSpeed << QByteArray("\x15") << all << 8 << 0 << QString();
    QTest::newRow("speed code 22") << UpperSpeed << QByteArray("\x16") << all << 8 << 3
                                   << QStringLiteral("Скорость обмена с ВУ = 22, допустимо 0...21");
    QTest::newRow("priority 2") << Priority << QByteArray("\x02") << all << 8 << 3
                                << QStringLiteral("Приоритет = 2, допустимо 0...1");
    QTest::newRow("preambles 255")
        << AnswerPreambles << QByteArray("\xff") << all << 8 << 0 << QString();
    QTest::newRow("RTS 2, eight fields")
        << RtsControl << QByteArray("\x02") << all << 8 << 3 << QStringLiteral("RTS");
    QTest::newRow("RTS 2, seven fields")
        << RtsControl << QByteArray("\x02") << all << 7 << 0 << QString();
    QTest::newRow("table 3 not written")
        << Priority << QByteArray("\x02") << QList<int>{5, 6} << 8 << 0 << QString();
    QTest::newRow("modem string with its CR")
        << modem << QByteArray("ATZ\r\x01") << all << 8 << 0 << QString();
    QTest::newRow("modem string ended by zero")
        << modem << QByteArray("ATZ") << all << 8 << 0 << QString();
    QTest::newRow("cp1251 letters")
        << modem << QByteArray("AT\xc0\xff\r") << all << 8 << 0 << QString();
    QTest::newRow("escape in the modem string")
        << modem << QByteArray("AT\x1b[2J\r") << all << 8 << 5 << QStringLiteral("0x1b на месте 3");
    QTest::newRow("modem string without end")
        << modem << QByteArray(ModemStringSize, 'A') << all << 8 << 5 << QStringLiteral("CR");
    QTest::newRow("connected flag 2") << link9 << QByteArray("\x02\x01\x05") << all << 8 << 6
                                      << QStringLiteral("адрес 9: признак подключения 2");
    QTest::newRow("port C") << link9 << QByteArray("\x01\x03\x15") << all << 8 << 0 << QString();
    QTest::newRow("port 4") << link9 << QByteArray("\x01\x04\x05") << all << 8 << 6
                            << QStringLiteral("адрес 9: порт 4");
    QTest::newRow("connected at speed code 22") << link9 << QByteArray("\x01\x01\x16") << all << 8
                                                << 6 << QStringLiteral("код скорости 22");
    // As read from a controller: no port, any speed bits.
    QTest::newRow("disconnected, port 7, speed 31")
        << link9 << QByteArray("\x00\x07\x1f", 3) << all << 8 << 0 << QString();
    QTest::newRow("disconnected, speed 32 spills into the port")
        << link9 << QByteArray("\x00\x00\x20", 3) << all << 8 << 6
        << QStringLiteral("код скорости 32");
}

void TstConfigFile::writeContentIsChecked()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, tables);
    QFETCH(int, fields);
    QFETCH(int, faultTable);
    QFETCH(QString, named);
    ConfigRecord record;
    NewConfigRecord(record, 5);
    record.setSlice(offset, int(bytes.size()), bytes);

    const std::optional<WriteContentFault> fault = CheckWriteContent(record, tables, fields);
    QCOMPARE(fault ? fault->table : 0, faultTable);
    if (fault) {
        QVERIFY2(fault->text.startsWith(QStringLiteral("Таблица %1 (").arg(faultTable)),
                 qPrintable(fault->text));
        QVERIFY2(fault->text.contains(named), qPrintable(fault->text));
    }
}

void TstConfigFile::backupsKeepTheNewest()
{
    const QDateTime first(today_, QTime(14, 30, 5));
    const BackupResult one = SaveConfigBackup(context_.programDir, image_, first);
    QVERIFY(one.saved);
    QCOMPARE(QFileInfo(one.path).fileName(), QStringLiteral("ktv31-ar5-261208-143005.cnf"));
    ConfigRecord expected;
    ImageToRecord(image_, expected);
    QCOMPARE(readFile(one.path), expected.toBytes());
    // A second backup in the same second does not replace the first.
    const BackupResult again = SaveConfigBackup(context_.programDir, image_, first);
    QVERIFY(again.saved && again.path != one.path);

    for (int i = 0; i < KeptBackups + 5; ++i)
        QVERIFY(SaveConfigBackup(context_.programDir, image_, first.addSecs(i + 1)).saved);
    const QStringList kept = QDir(BackupFolder(context_.programDir)).entryList(QDir::Files);
    QCOMPARE(kept.size(), KeptBackups);
    QVERIFY(kept.contains(QStringLiteral("ktv31-ar5-261208-143100.cnf"))); // the newest
    QVERIFY(!kept.contains(QFileInfo(one.path).fileName()));
}

void TstConfigFile::backupThatCannotBeWritten()
{
    // A plain file where the backup folder would be.
    QFile blocker(BackupFolder(context_.programDir));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const BackupResult result = SaveConfigBackup(context_.programDir, image_);
    QVERIFY(!result.saved);
    QVERIFY(BackupFailedText(result).startsWith(QStringLiteral("Резервная копия конфигурации не")));
}

QTEST_GUILESS_MAIN(TstConfigFile)
#include "tst_configfile.moc"
