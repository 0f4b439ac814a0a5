// Opens each window with sample content and saves a picture of it: ktv31-windowshots FOLDER.
#include "config/recordconversion.h"
#include "samplesession.h"
#include "windows/about.h"
#include "windows/config.h"
#include "windows/connpar.h"
#include "windows/ident.h"
#include "windows/main.h"
#include "windows/monitor.h"
#include "windows/question.h"
#include "windows/select.h"
#include "windows/statusbar.h"
#include "windows/tableinfo.h"
#include "windows/vichpar.h"
#include "windows/wait.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <functional>

using namespace ktv31;

namespace {

// Shows the window, lets it settle and saves what it looks like.
void Shoot(QWidget &window, const QString &path)
{
    window.show();
    QApplication::processEvents();
    QEventLoop settle;
    QTimer::singleShot(150, &settle, &QEventLoop::quit);
    settle.exec();
    window.grab().save(path);
    window.hide();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    QTemporaryDir programDir;
    const QString dir = programDir.path() + QLatin1Char('/');
    const auto out = [&](const char *name) { return folder + QLatin1Char('/') + name; };

    TFormMain main(dir);
    main.resize(900, 420);
    main.TimerStart()->stop();
    main.service().setDeviceAccepted(true);
    main.UpdateMenus();
    main.findChild<QWidget *>(QStringLiteral("pnmodem"))->show();
    main.StatusBar1()->setPanelText(0, QStringLiteral(" COM1,   1200 бит/с"));
    main.StatusBar1()->setPanelText(1, QStringLiteral("Чтение из таблицы 6 (поля 0-130)"));
    main.StatusBar1()->setPanelText(2, QStringLiteral("Обмен..."));
    Shoot(main, out("main.png"));

    TFormConnPar connpar(main.settings(), ProgramDir(), ServiceLinkActions(main.service()), &main);
    Shoot(connpar, out("connpar.png"));

    ConnectionSettings telephone = ConnectionSettings::Defaults();
    telephone.setLinkType(1);
    telephone.setModemCommand(QStringLiteral("ATZ^AT&F"));
    telephone.setCityCode(QStringLiteral("812"));
    telephone.setPhoneNumber(QStringLiteral("123-45-67"));
    TFormConnPar phone(telephone, ProgramDir(), ServiceLinkActions(main.service()), &main);
    Shoot(phone, out("connpar-telephone.png"));

    const std::array<quint8, 17> block{5, 8, 2, 5, 26, 12, 8, 14, 30, 0, 1, 1, 0, 17, 2, 1, 3};
    TFormIdent ident(&main);
    ident.setBlock(block, true);
    Shoot(ident, out("ident.png"));
    TFormIdent reduced(&main);
    reduced.setBlock(block, false);
    Shoot(reduced, out("ident-reduced.png"));

    TFormQues question(&main);
    question.Present(DressMessageBox(MessageBoxKind::RetryQuestion,
                                     QStringLiteral("Не выполнено чтение из таблицы 6."),
                                     QStringLiteral("\"Скорость обмена с подкл. вычислителем и "
                                                    "порт подключения\"")));
    Shoot(question, out("question.png"));
    TFormQues notice(&main);
    notice.Present(
        DressMessageBox(MessageBoxKind::Notice, QStringLiteral("Разрушена таблица 3"), QString()));
    Shoot(notice, out("notice.png"));

    TFormWait wait(&main);
    wait.setMode(TFormWait::ReadingTables);
    wait.ProgressBar1()->setRange(0, 6);
    wait.ProgressBar1()->setValue(4);
    Shoot(wait, out("wait.png"));

    ConfigRecord record;
    NewConfigRecord(record, 5);
    record.setU8(RecordOffset::Marker, 1);
    record.setSlice(RecordOffset::ModemString, 11, QByteArray("ATE0V1S0=1\r"));
    for (int address = 1; address < 40; ++address) {
        quint8 *entry = record.data() + LinkEntry::OffsetOf(address);
        entry[LinkEntry::Connected] = address % 3 != 0;
        entry[LinkEntry::Port] = quint8(1 + address % 3);
        entry[LinkEntry::SpeedCode] = quint8(address % 2 ? 11 : 15);
    }
    main.settings() = ConnectionSettings::Defaults();
    main.service().image().setU32(ImageOffset::UpperSpeedMask, 0x3FFFFF);
    main.service().image().setU32(ImageOffset::CalculatorSpeedMask, 0x3FFFFF);
    TFormConfig config(record, main.service().image(), main.settings(), &main);
    config.setDeviceMode(true);
    config.setHideIdentification(true);
    Shoot(config, out("config.png"));
    TFormConfig file(record, main.service().image(), main.settings(), &main);
    Shoot(file, out("config-file.png"));
    TFormVichPar vichpar(CalculatorLinkAt(record, 5), 5, 0x3FFFFF, &main);
    Shoot(vichpar, out("vichpar.png"));
    TableStateBuffer state;
    for (const ConfigTableFlag &flag : ConfigTableFlags())
        state.setU8(TableStateOffset::Writable + flag.table, flag.writable);
    state.setU8(TableStateOffset::Destroyed + 6, 1);
    TFormTableInfo tableinfo(state, false, &main);
    Shoot(tableinfo, out("tableinfo.png"));

    ExchangeRowModel rows;
    rows.appendLines(
        test::SampleSession(QDateTime(QDate(2024, 6, 14), QTime(9, 30, 15)).toMSecsSinceEpoch()));
    TFormMonitor monitor(rows, dir);
    monitor.setAttribute(Qt::WA_DeleteOnClose, false);
    Shoot(monitor, out("monitor.png"));

    TFormSelect select(&main);
    Shoot(select, out("select.png"));
    TFormAbout about(&main);
    Shoot(about, out("about.png"));
    return 0;
}
