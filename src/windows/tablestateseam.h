// The windows behind the table-state procedure: the view and the review.
#pragma once

#include "service/tablestateprocedure.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace ktv31 {

class ConnectionSettings;

class WindowTableStateSeam : public TableStateSeam
{
public:
    // `image` supplies the speeds the controller offers to the review; `settings` whether the
    // link is a telephone one.
    WindowTableStateSeam(QWidget *owner, ConfigImage &image, const ConnectionSettings &settings,
                         std::function<void()> updateMenus);

    TableStateChoice ShowTableState(TableStateBuffer &state) override;
    bool ReviewRecord(ConfigRecord &record, bool &changed) override;
    void UpdateMenus() override;

private:
    QPointer<QWidget> owner_;
    ConfigImage &image_;
    const ConnectionSettings &settings_;
    std::function<void()> updateMenus_;
};

} // namespace ktv31
