// TFormConfig: filling the controls from the record, storing them back, the calculator grid.
#include "windows/config.h"

#include "config/configeditor.h"
#include "config/configtexts.h"
#include "config/recordfields.h"
#include "protocol/controllercodes.h"
#include "service/linkkind.h"
#include "shell/settings.h"
#include "ui_config.h"
#include "windows/calculatormodel.h"
#include "windows/captionfit.h"
#include "windows/digitsonly.h"
#include "windows/glyphs.h"
#include "windows/ident.h"
#include "windows/listvalues.h"
#include "windows/vichpar.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>

namespace ktv31 {
namespace {

const QColor kBackground(210, 210, 210); // 13816530
const QColor kGrid(232, 232, 232);       // 15263976
constexpr int kHiddenIdentificationTop = 12;

} // namespace

TFormConfig::TFormConfig(ConfigRecord &record, const ConfigImage &image,
                         const ConnectionSettings &settings, QWidget *parent)
    : QDialog(parent), ui(new Ui::TFormConfig), record_(record), image_(image), settings_(settings),
      model_(new CalculatorModel(record, this)), op_(this, nullptr)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->BitBtn24->setIcon(Glyphs::Info());
    ui->BitBtn24->setAccessibleName(EditorText::IdentificationCaption());
    ui->BitBtn3->setIcon(Glyphs::Edit());
    ui->BitBtn4->setIcon(Glyphs::Clear());
    ui->BitBtn14->setIcon(Glyphs::Write());
    ui->BitBtn5->setIcon(Glyphs::Ok());
    ui->BitBtn2->setIcon(Glyphs::Exit());
    auto *digits = new DigitsOnly(this);
    for (QLineEdit *edit : {ui->Edit2, ui->Edit3, ui->Edit4})
        digits->attach(edit);

    QTableView *grid = ui->StringGrid1;
    grid->setModel(model_);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    int column = 0;
    for (int width : {48, 88, 69, 108})
        grid->setColumnWidth(column++, width);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QPalette gridColours = grid->palette();
    gridColours.setColor(QPalette::Base, kGrid);
    grid->setPalette(gridColours);
    grid->installEventFilter(this);
    setBackground(false);
    showFieldLabels();

    connect(ui->BitBtn14, &QPushButton::clicked, this, &TFormConfig::BitBtn14Click);
    connect(ui->BitBtn5, &QPushButton::clicked, this, &TFormConfig::BitBtn14Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormConfig::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TFormConfig::BitBtn3Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TFormConfig::BitBtn4Click);
    connect(ui->BitBtn24, &QPushButton::clicked, this, &TFormConfig::BitBtn24Click);
    connect(grid, &QTableView::doubleClicked, this, &TFormConfig::StringGrid1DblClick);
    FitCaptions(*this);
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormConfig::FormShow()
{
    setFixedSize(808, 540);
    if (hideIdentification_) {
        ui->BitBtn24->hide();
        ui->Label24->hide();
        ui->GroupBox1->move(ui->GroupBox1->x(), kHiddenIdentificationTop);
    }
    snapshot_ = record_;
    fillUpperSpeeds();
    ui->BitBtn14->setVisible(deviceMode_);
    ui->BitBtn5->setVisible(!deviceMode_);
    const EditorInput shown = EditorInputFrom(record_);
    ui->Edit1->setText(shown.modemString);
    ui->Edit2->setText(shown.answerPreambles);
    ui->Edit3->setText(shown.requestPreambles);
    ui->Edit4->setText(shown.answerWait);
    for (const auto &[combo, value] : {std::pair{ui->ComboBox2, shown.priority},
                                       std::pair{ui->ComboBox3, shown.calculatorPreambles},
                                       std::pair{ui->ComboBox4, shown.retryDelay}})
        combo->setCurrentIndex(combo->findData(value));
    const bool rts = RecordHasRtsField(record_);
    ui->ComboBox5->setEnabled(rts);
    ui->Label8->setEnabled(rts);
    ui->ComboBox5->setCurrentIndex(rts ? ui->ComboBox5->findData(shown.rtsControl) : -1);
    model_->refreshAll();
    ui->StringGrid1->selectRow(0);
    shown_ = input();
}

// The controller's own speeds for its record; every speed for a file, whose controller is not
// known (the calculator link editor too).
quint32 TFormConfig::upperSpeedMask() const
{
    return deviceMode_ ? UpperSpeedMask(image_) : EverySpeedMask;
}

quint32 TFormConfig::calculatorSpeedMask() const
{
    return deviceMode_ ? CalculatorSpeedMask(image_) : EverySpeedMask;
}

void TFormConfig::fillUpperSpeeds()
{
    QComboBox *speeds = ui->ComboBox1;
    speeds->clear();
    const int recordCode = EditorInputFrom(record_).speedCode;
    int selected = -1;
    for (int code : OfferedSpeedCodes(upperSpeedMask())) {
        if (code == recordCode)
            selected = speeds->count();
        speeds->addItem(QString::number(CodeToSpeed(code)), code);
    }
    speeds->setCurrentIndex(selected);
    speeds->setEnabled(!(deviceMode_ && !LinkKind::Of(settings_).speedFollowsTableWrite()));
}

// The link parameters' labels and lists as the record's description has them.
void TFormConfig::showFieldLabels()
{
    const auto field = [](const char *name) -> const RecordField & {
        return *FindField(QLatin1String(name));
    };
    ShowLabel(ui->Label1, field("link.speed"));
    ShowLabel(ui->Label2, field("link.reply_preambles"));
    ShowLabel(ui->Label3, field("link.request_preambles"));
    ShowLabel(ui->Label4, field("link.answer_wait"));
    for (const auto &[label, list, name] :
         {std::tuple{ui->Label5, ui->ComboBox3, "link.calculator_preambles"},
          std::tuple{ui->Label6, ui->ComboBox2, "link.priority"},
          std::tuple{ui->Label7, ui->ComboBox4, "link.retry_delay"},
          std::tuple{ui->Label8, ui->ComboBox5, "link.rts"}}) {
        ShowLabel(label, field(name));
        FillItems(list, field(name));
    }
}

void TFormConfig::setBackground(bool subDialogOpen)
{
    QPalette palette = ui->Panel1->palette();
    palette.setColor(QPalette::Window,
                     subDialogOpen ? QPalette().color(QPalette::Button) : kBackground);
    ui->Panel1->setPalette(palette);
}

bool TFormConfig::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on a row edits that calculator, as a double click does.
    if (watched == ui->StringGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BitBtn3Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

EditorInput TFormConfig::input() const
{
    EditorInput input;
    input.speedCode = Selected(ui->ComboBox1);
    input.priority = Selected(ui->ComboBox2);
    input.calculatorPreambles = Selected(ui->ComboBox3);
    input.retryDelay = Selected(ui->ComboBox4);
    input.rtsControl = ui->ComboBox5->isEnabled() ? Selected(ui->ComboBox5) : -1;
    input.answerPreambles = ui->Edit2->text();
    input.requestPreambles = ui->Edit3->text();
    input.answerWait = ui->Edit4->text();
    input.modemString = ui->Edit1->text();
    return input;
}

void TFormConfig::BitBtn14Click()
{
    if (const auto fault = StoreEditorInput(input(), shown_, record_)) {
        op_.ShowMessageBox(MessageBoxKind::InputError, fault->line1, fault->line2);
        return;
    }
    configChanged_ = record_.toBytes() != snapshot_.toBytes();
    configAccepted_ = true;
    accept();
}

void TFormConfig::BitBtn2Click()
{
    reject();
}

void TFormConfig::StringGrid1DblClick()
{
    BitBtn3Click();
}

void TFormConfig::BitBtn3Click()
{
    const int row =
        ui->StringGrid1->currentIndex().isValid() ? ui->StringGrid1->currentIndex().row() : 0;
    const int address = CalculatorModel::AddressOfRow(row);
    setBackground(true);
    {
        QPointer<TFormVichPar> editor = new TFormVichPar(CalculatorLinkAt(record_, address),
                                                         address, calculatorSpeedMask(), this);
        if (editor->exec() == QDialog::Accepted && editor)
            SetCalculatorLink(record_, address, editor->link());
        delete editor;
    }
    setBackground(false);
    model_->refreshRow(row);
}

void TFormConfig::BitBtn4Click()
{
    setBackground(true);
    const bool yes = op_.ShowMessageBox(MessageBoxKind::Question,
                                        QStringLiteral("Вы действительно хотите удалить"),
                                        QStringLiteral("все вычислители из списка подключенных?"));
    setBackground(false);
    if (!yes)
        return;
    DisconnectAllCalculators(record_);
    model_->refreshAll();
}

void TFormConfig::BitBtn24Click()
{
    const auto block = IdentificationBlock(record_);
    ShowIdentification(this, block, IdentificationFromDevice(record_));
}

EditorOutcome EditConfiguration(QWidget *parent, ConfigRecord &record, const ConfigImage &image,
                                const ConnectionSettings &settings, bool deviceMode,
                                bool hideIdentification)
{
    QPointer<TFormConfig> editor = new TFormConfig(record, image, settings, parent);
    editor->setDeviceMode(deviceMode);
    editor->setHideIdentification(hideIdentification);
    editor->exec();
    EditorOutcome outcome;
    if (editor) {
        outcome.accepted = editor->configAccepted();
        outcome.changed = editor->configChanged();
    }
    delete editor;
    return outcome;
}

} // namespace ktv31
