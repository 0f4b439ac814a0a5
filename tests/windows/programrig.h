// The real main window over a program folder of its own, with the simulator as its COM1 and its
// dialogs answered by script.
#pragma once

#include "modalscript.h"
#include "shell/operation.h"
#include "sim/simulator.h"
#include "support/servicerig.h"
#include "support/simrequests.h"
#include "windows/main.h"
#include "windows/statusbar.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace ktv31::test {

using sim::SimOptions;
using sim::Simulator;

template <typename T> inline T *Child(QWidget &form, const char *name)
{
    return form.findChild<T *>(QLatin1String(name));
}

inline QStringList VisibleMenus(TFormMain &main)
{
    QStringList texts;
    for (const QAction *action : main.menuBar()->actions())
        if (action->isVisible())
            texts << action->text();
    return texts;
}

inline const QStringList kAllMenus{"Файл", "Параметры", "Связь с другим устройством", "Общее"};
inline const QStringList kFileMenus{"Файл", "Связь с другим устройством", "Общее"};

// The program's folder with the simulator as COM1, and the main window over it.
struct Program
{
    QTemporaryDir dir;
    QString programDir = dir.path() + QLatin1Char('/');
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<TFormMain> main;
    ModalScript script;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    bool connect = true; // the answer to the connection dialog
    int connectionDialogs = 0;
    bool menusSeenDuringStartUp = false;
    QStringList dialogs; // every other dialog, by class
    std::function<void(QDialog *)> onDialog;

    Program()
    {
        CreateProgramFolders(programDir);
        script.onDialog = [this](QDialog *dialog) {
            if (QString(dialog->metaObject()->className()) ==
                QLatin1String("ktv31::TFormConnPar")) {
                ++connectionDialogs;
                menusSeenDuringStartUp |= !VisibleMenus(*main).isEmpty();
                Child<QPushButton>(*dialog, connect ? "BitBtn1" : "BitBtn2")->click();
                return;
            }
            dialogs << dialog->metaObject()->className();
            if (onDialog)
                onDialog(dialog);
            else
                dialog->reject();
        };
    }
    bool startController(SimOptions options)
    {
        if (options.modem.enabled) {
            options.modem.guardTimeMs = 50;
            options.modem.dialDelayMs =
                options.modem.dialDelayMs == 2000 ? 30 : options.modem.dialDelayMs;
        }
        sim = std::make_unique<Simulator>(options);
        return sim->start() && sim->placeLink(programDir + QStringLiteral("INI/COM1"));
    }
    void launch()
    {
        SaveSettings(SettingsFilePath(programDir), settings);
        main = std::make_unique<TFormMain>(programDir);
        main->service().modemTiming = QuickModemTiming();
        main->resize(900, 500);
        main->show();
        settle();
    }
    // Waits until the start-up timer has fired and no operation runs any more.
    bool settle(int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (main->TimerStart()->isActive() || OperationRunning()) {
            QSignalSpy changes(&OperationState::instance(), &OperationState::runningChanged);
            if (!changes.wait(int(std::max<qint64>(timeoutMs - clock.elapsed(), 1))))
                return false;
        }
        return true;
    }
    void trigger(const char *action)
    {
        main->findChild<QAction *>(QLatin1String(action))->trigger();
        settle();
    }
    QString panel(int index) const { return main->StatusBar1()->panelText(index); }
    QList<SeenRequest> requests() const { return RequestsSeen(*sim); }
    QList<SeenRequest> writes() const { return WritesSeen(*sim); }
    QStringList backups() const
    {
        return QDir(programDir + QStringLiteral("CONFIG/backup")).entryList(QDir::Files);
    }
    // The simulator's modem in front of the controller, dialled from the settings.
    bool startTelephone(SimOptions options = {})
    {
        options.modem.enabled = true;
        settings.setLinkType(1);
        settings.setPhoneNumber(QStringLiteral("123"));
        return startController(options);
    }
    QStringList messages() const
    {
        QStringList out;
        for (const ModalScript::Box &box : script.boxes)
            out << box.lines.join(u'|');
        return out;
    }
};

} // namespace ktv31::test
