// The table-state view and the editor as review, for the procedure.
#include "windows/tablestateseam.h"

#include "service/linkkind.h"
#include "shell/settings.h"
#include "windows/config.h"
#include "windows/tableinfo.h"

namespace ktv31 {

WindowTableStateSeam::WindowTableStateSeam(QWidget *owner, ConfigImage &image,
                                           const ConnectionSettings &settings,
                                           std::function<void()> updateMenus)
    : owner_(owner), image_(image), settings_(settings), updateMenus_(std::move(updateMenus))
{
}

TableStateChoice WindowTableStateSeam::ShowTableState(TableStateBuffer &state)
{
    QPointer<TFormTableInfo> form =
        new TFormTableInfo(state, !LinkKind::Of(settings_).wholeTableWritesAllowed(), owner_);
    form->exec();
    const int result = form ? form->tableStateResult() : 0;
    if (result != 0)
        state = form->chosenState();
    delete form;
    return TableStateChoice(result);
}

bool WindowTableStateSeam::ReviewRecord(ConfigRecord &record, bool &changed)
{
    const EditorOutcome outcome = EditConfiguration(owner_, record, image_, settings_, true, false);
    changed = outcome.changed;
    return outcome.accepted;
}

void WindowTableStateSeam::UpdateMenus()
{
    if (updateMenus_)
        updateMenus_();
}

} // namespace ktv31
