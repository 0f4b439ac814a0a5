// TFormTableInfo: rows filled from the core's rows, the two write choices and leaving.
#include "windows/tableinfo.h"

#include "config/tablestaterows.h"
#include "ui_tableinfo.h"
#include "windows/accessiblevalue.h"
#include "windows/captionfit.h"
#include "windows/glyphs.h"

#include <QCheckBox>
#include <QLabel>

namespace ktv31 {

TFormTableInfo::TFormTableInfo(const TableStateBuffer &state, bool telephone, QWidget *parent)
    : QDialog(parent), ui(new Ui::TFormTableInfo), state_(state), telephone_(telephone),
      op_(this, nullptr)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->BitBtn1->setIcon(Glyphs::Write());
    ui->BitBtn3->setIcon(Glyphs::Write());
    ui->BitBtn2->setIcon(Glyphs::Exit());
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormTableInfo::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormTableInfo::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TFormTableInfo::BitBtn3Click);
    tableStateResult_ = 0;
    FitCaptions(*this);
}

TFormTableInfo::~TFormTableInfo() = default;

void TFormTableInfo::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormTableInfo::FormShow()
{
    setFixedSize(706, 232);
    captions_.fill(nullptr);
    states_.fill(nullptr);
    boxes_.fill(nullptr);
    int j = 0;
    for (const TableStateRow &row : TableStateRows(state_, telephone_)) {
        ++j;
        auto *caption = findChild<QLabel *>(QStringLiteral("pn%1").arg(j));
        auto *destroyed = findChild<QLabel *>(QStringLiteral("pw%1").arg(j));
        auto *box = findChild<QCheckBox *>(QStringLiteral("cb%1").arg(j));
        captions_[size_t(row.table)] = caption;
        states_[size_t(row.table)] = destroyed;
        boxes_[size_t(row.table)] = box;
        for (QWidget *control : {static_cast<QWidget *>(caption), static_cast<QWidget *>(destroyed),
                                 static_cast<QWidget *>(box)})
            control->setProperty("tag", row.table);
        caption->setText(row.caption);
        destroyed->setText(row.destroyed ? QStringLiteral("Да") : QStringLiteral("Нет"));
        ReadAsValue(destroyed, QStringLiteral("Разрушена:") + row.caption);
        QPalette palette = destroyed->palette();
        palette.setColor(QPalette::WindowText, row.destroyed
                                                   ? QColor(255, 0, 0)
                                                   : this->palette().color(QPalette::WindowText));
        destroyed->setPalette(palette);
        box->setChecked(row.ticked);
        box->setEnabled(row.enabled);
        box->setAccessibleName(QStringLiteral("Записать таблицу %1").arg(row.table));
    }
    for (int empty = j + 1; empty <= TableStateRowCapacity; ++empty)
        findChild<QCheckBox *>(QStringLiteral("cb%1").arg(empty))->hide();
    ui->BitBtn1->setEnabled(!telephone_);
    ui->BitBtn3->setEnabled(!telephone_);
}

void TFormTableInfo::BitBtn3Click()
{
    QList<int> ticked;
    for (int table = 0; table < ConfigTableCount; ++table)
        if (boxes_[size_t(table)] && boxes_[size_t(table)]->isChecked())
            ticked.append(table);
    if (!ChooseTickedTables(state_, ticked)) {
        op_.ShowMessageBox(MessageBoxKind::Notice, QStringLiteral("Не заданы таблицы для записи"),
                           QString());
        return;
    }
    tableStateResult_ = int(TableStateChoice::Ticked);
    accept();
}

void TFormTableInfo::BitBtn1Click()
{
    ChooseAllTables(state_);
    tableStateResult_ = int(TableStateChoice::All);
    accept();
}

void TFormTableInfo::BitBtn2Click()
{
    reject();
}

} // namespace ktv31
