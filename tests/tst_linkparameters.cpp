// The connection parameters' checks: every range boundary, the check order, what is kept on a
// fault.
#include "connection/linkparameters.h"
#include "service/linkform.h"
#include "shell/settings.h"

#include <QtTest>

#include <functional>

using namespace ktv31;

namespace {

// A form that passes every check, as the dialog shows the default settings.
LinkForm ValidForm()
{
    LinkForm form;
    form.linkType = 1;
    form.port = 1;
    form.speed = 1200;
    form.attempts = 1;
    form.firstByteWaitS = QStringLiteral("2");
    form.nextByteWaitMs = QStringLiteral("100");
    form.preambles = QStringLiteral("0");
    form.rtsPauseMs = QStringLiteral("2");
    form.modemCommand = QStringLiteral("ATZ");
    form.connectWaitS = QStringLiteral("50");
    form.countryCode = QStringLiteral("7");
    form.cityCode = QStringLiteral("123");
    form.phoneNumber = QStringLiteral("45-67");
    form.connectAttempts = QStringLiteral("1");
    return form;
}

QString *EditOf(LinkForm &form, const QString &edit)
{
    if (edit == QLatin1String("Edit1"))
        return &form.firstByteWaitS;
    if (edit == QLatin1String("Edit2"))
        return &form.nextByteWaitMs;
    if (edit == QLatin1String("Edit3"))
        return &form.preambles;
    if (edit == QLatin1String("Edit4"))
        return &form.rtsPauseMs;
    if (edit == QLatin1String("Edit6"))
        return &form.connectWaitS;
    if (edit == QLatin1String("Edit9"))
        return &form.phoneNumber;
    if (edit == QLatin1String("Edit10"))
        return &form.connectAttempts;
    return nullptr;
}

} // namespace

class TestLinkParameters : public QObject
{
    Q_OBJECT
private slots:
    void boundaries_data();
    void boundaries();
    void missingInput_data();
    void missingInput();
    void firstFaultOnlyKeepsWhatPassedBefore();
    void telephoneFieldsOnlyForTelephone();
    void storedSettingsNameTheirFirstFault_data();
    void storedSettingsNameTheirFirstFault();
};

void TestLinkParameters::boundaries_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line1"); // empty: accepted
    const QString firstByte = QStringLiteral("Время ожидания первого байта ответа");
    const QString nextByte = QStringLiteral("Время ожидания следующих байтов ответа");
    const QString preambles = QStringLiteral("Количество преамбул в запросе");
    const QString rts = QStringLiteral("Пауза после установки RTS");
    const QString telephone = QStringLiteral("Вводите значения");
    const struct
    {
        const char *edit;
        QString fault;
        QList<int> pass;
        QList<int> fail;
    } ranges[] = {
        {"Edit1", firstByte, {1, 120}, {0, 121}}, {"Edit2", nextByte, {55, 5000}, {54, 5001}},
        {"Edit3", preambles, {0, 255}, {256}},    {"Edit4", rts, {2, 999, 1000}, {1}},
        {"Edit6", telephone, {1, 360}, {0, 361}}, {"Edit10", telephone, {1, 10}, {0, 11}},
    };
    for (const auto &range : ranges) {
        for (int value : range.pass)
            QTest::addRow("%s %d passes", range.edit, value)
                << QString::fromLatin1(range.edit) << QString::number(value) << QString();
        for (int value : range.fail)
            QTest::addRow("%s %d fails", range.edit, value)
                << QString::fromLatin1(range.edit) << QString::number(value) << range.fault;
    }
    QTest::newRow("a number too long for any field") << "Edit2"
                                                     << "99999999999999999999" << nextByte;
    // The number goes into the dial command as it stands.
    const QString number = QStringLiteral("N телефона");
    QTest::newRow("number with separators passes") << "Edit9"
                                                   << "(812) 12-34" << QString();
    QTest::newRow("number with ';' fails") << "Edit9"
                                           << "123;" << number;
    QTest::newRow("number with a control character fails") << "Edit9"
                                                           << "12\r3" << number;
}

void TestLinkParameters::boundaries()
{
    QFETCH(QString, edit);
    QFETCH(QString, value);
    QFETCH(QString, line1);
    LinkForm form = ValidForm();
    *EditOf(form, edit) = value;
    ConnectionSettings working = ConnectionSettings::Defaults();
    const std::optional<InputFault> fault = CheckAndStoreLinkForm(form, working);
    QCOMPARE(fault.has_value(), !line1.isEmpty());
    if (!fault)
        return;
    QCOMPARE(fault->line1, line1);
    QCOMPARE(fault->line2, line1 == QStringLiteral("Вводите значения")
                               ? QStringLiteral("согласно допустимого диапазона")
                               : QStringLiteral("Параметр вне допустимого диапазона"));
}

void TestLinkParameters::missingInput_data()
{
    QTest::addColumn<QString>("emptied"); // an edit left empty, or a list without selection
    for (const char *control : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit6", "Edit9", "Edit10",
                                "ComboBox1", "ComboBox2", "ComboBox3"})
        QTest::newRow(control) << QString::fromLatin1(control);
}

void TestLinkParameters::missingInput()
{
    QFETCH(QString, emptied);
    LinkForm form = ValidForm();
    if (QString *text = EditOf(form, emptied))
        text->clear();
    else if (emptied == QLatin1String("ComboBox1"))
        form.port = -1;
    else if (emptied == QLatin1String("ComboBox2"))
        form.speed = -1;
    else
        form.attempts = -1;
    ConnectionSettings working = ConnectionSettings::Defaults();
    const std::optional<InputFault> fault = CheckAndStoreLinkForm(form, working);
    QVERIFY(fault);
    QCOMPARE(fault->line1, QStringLiteral("Введены не все параметры"));
    QVERIFY(fault->line2.isEmpty());
}

void TestLinkParameters::firstFaultOnlyKeepsWhatPassedBefore()
{
    LinkForm form = ValidForm();
    form.linkType = 0;
    form.firstByteWaitS = QStringLiteral("7");
    form.nextByteWaitMs = QStringLiteral("54"); // the first fault
    form.preambles = QStringLiteral("256");     // a second one, not reported
    ConnectionSettings working = ConnectionSettings::Defaults();
    const std::optional<InputFault> fault = CheckAndStoreLinkForm(form, working);
    QVERIFY(fault);
    QCOMPARE(fault->line1, QStringLiteral("Время ожидания следующих байтов ответа"));
    QCOMPARE(working.FirstByteWaitS(), 7);
    QCOMPARE(working.NextByteWaitMs(), ConnectionSettings::Defaults().NextByteWaitMs());
    QCOMPARE(working.PreambleCount(), ConnectionSettings::Defaults().PreambleCount());

    // On the telephone side the number parts are kept once the connection wait has passed.
    LinkForm telephone = ValidForm();
    telephone.connectAttempts = QStringLiteral("11");
    ConnectionSettings kept = ConnectionSettings::Defaults();
    QVERIFY(CheckAndStoreLinkForm(telephone, kept));
    QCOMPARE(kept.ConnectWaitS(), 50);
    QCOMPARE(kept.PhoneNumber(), QStringLiteral("45-67"));
    QCOMPARE(kept.ConnectAttempts(), ConnectionSettings::Defaults().ConnectAttempts());
}

void TestLinkParameters::telephoneFieldsOnlyForTelephone()
{
    LinkForm form = ValidForm();
    form.linkType = 0;
    form.connectWaitS.clear();
    form.connectAttempts = QStringLiteral("99");
    ConnectionSettings working = ConnectionSettings::Defaults();
    QVERIFY(!CheckAndStoreLinkForm(form, working));
    QCOMPARE(working.LinkType(), 0);
    QCOMPARE(working.Attempts(), 1);
    QCOMPARE(working.ConnectAttempts(), ConnectionSettings::Defaults().ConnectAttempts());
}

void TestLinkParameters::storedSettingsNameTheirFirstFault_data()
{
    using Change = std::function<void(ConnectionSettings &)>;
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("parameter"); // the name of the parameter found at fault
    const auto telephone = [](const Change &more) {
        return Change([more](ConnectionSettings &s) {
            s.setLinkType(TelephoneLink);
            s.setPhoneNumber(QStringLiteral("45-67"));
            more(s);
        });
    };
    QTest::newRow("defaults") << Change([](ConnectionSettings &) {}) << QString();
    QTest::newRow("speed not in the table")
        << Change([](ConnectionSettings &s) { s.setSpeed(1234); }) << "Скорость обмена";
    QTest::newRow("port 17") << Change([](ConnectionSettings &s) { s.setPortNumber(17); })
                             << "Порт подключения";
    QTest::newRow("link type 2") << Change([](ConnectionSettings &s) { s.setLinkType(2); })
                                 << "Тип связи";
    QTest::newRow("RTS pause 1") << Change([](ConnectionSettings &s) { s.setRtsPauseMs(1); })
                                 << "Пауза после установки RTS";
    QTest::newRow("direct: the telephone fields are not judged")
        << Change([](ConnectionSettings &s) { s.setConnectWaitS(0); }) << QString();
    // The telephone fields come first, as in the dialog: a bad RTS pause is told after them.
    QTest::newRow("telephone: connect wait before RTS pause")
        << telephone([](ConnectionSettings &s) {
               s.setRtsPauseMs(1);
               s.setConnectWaitS(0);
           })
        << "Ожидание соединения";
    QTest::newRow("telephone without a number")
        << telephone([](ConnectionSettings &s) { s.setPhoneNumber(QString()); }) << "N телефона";
    QTest::newRow("telephone: modem command with a CR")
        << telephone([](ConnectionSettings &s) { s.setModemCommand(QStringLiteral("ATZ\rATH")); })
        << "Команда модему";
}

void TestLinkParameters::storedSettingsNameTheirFirstFault()
{
    QFETCH(std::function<void(ConnectionSettings &)>, change);
    QFETCH(QString, parameter);
    ConnectionSettings stored = ConnectionSettings::Defaults();
    change(stored);
    ConnectionSettings working = stored;
    const std::optional<LinkFault> fault = CheckAndStoreLinkForm(LinkFormOf(stored), working);
    QCOMPARE(fault ? QString::fromUtf8(fault->parameter->name) : QString(), parameter);
    if (!fault)
        QCOMPARE(working.toBytes(), stored.toBytes());
}

QTEST_GUILESS_MAIN(TestLinkParameters)
#include "tst_linkparameters.moc"
