// TFormAbout and its picture.
#include "windows/about.h"

#include "ui_about.h"
#include "windows/captionfit.h"
#include "windows/glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ktv31 {
namespace {

constexpr int kPictureWidth = 512;
constexpr int kPictureHeight = 445;

void DrawSky(QPainter &p)
{
    QLinearGradient sky(0, 0, 0, kPictureHeight);
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(0.55, QColor(150, 190, 230));
    sky.setColorAt(0.56, QColor(110, 130, 100));
    sky.setColorAt(1, QColor(70, 90, 60));
    p.fillRect(QRect(0, 0, kPictureWidth, kPictureHeight), sky);
}

// A pipeline crossing the ground with a valve and the station building behind it.
void DrawStation(QPainter &p)
{
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(205, 200, 185));
    p.drawRect(QRect(300, 140, 170, 100));
    p.setBrush(QColor(150, 40, 30));
    p.drawPolygon(QPolygon{{290, 140}, {385, 100}, {480, 140}});
    p.setBrush(QColor(120, 170, 210));
    for (int x : {320, 380, 430})
        p.drawRect(QRect(x, 165, 24, 24));

    p.setPen(QPen(QColor(90, 90, 40), 1));
    p.setBrush(QColor(230, 200, 40));
    p.drawRect(QRect(0, 258, kPictureWidth, 16));
    p.setBrush(QColor(200, 60, 40));
    const QPolygon valve{{236, 248}, {276, 284}, {276, 248}, {236, 284}};
    p.drawPolygon(valve);
    p.setPen(QPen(QColor(60, 60, 60), 3));
    p.drawLine(256, 266, 256, 236);
    p.drawLine(244, 236, 268, 236);
}

// The controller cabinet with its status lamps.
void DrawController(QPainter &p)
{
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.setBrush(QColor(90, 100, 110));
    p.drawRoundedRect(QRect(60, 140, 120, 110), 6, 6);
    p.setBrush(QColor(20, 40, 30));
    p.drawRect(QRect(75, 155, 90, 36));
    const QColor lamps[] = {QColor(40, 220, 60), QColor(240, 200, 30), QColor(230, 50, 40)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPoint(90 + i * 30, 215), 7, 7);
    }
    p.setPen(QPen(QColor(230, 200, 40), 3));
    p.drawLine(120, 250, 120, 258);
}

void DrawTitle(QPainter &p)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(56);
    p.setFont(font);
    p.setPen(QColor(20, 30, 60, 160));
    p.drawText(QRect(3, 23, kPictureWidth, 70), Qt::AlignCenter, QStringLiteral("ktv31-ar"));
    p.setPen(Qt::white);
    p.drawText(QRect(0, 20, kPictureWidth, 70), Qt::AlignCenter, QStringLiteral("ktv31-ar"));
    font.setPixelSize(24);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRect(0, 82, kPictureWidth, 30), Qt::AlignCenter, QStringLiteral("2004"));
}

} // namespace

QPixmap AboutPicture()
{
    QPixmap picture(kPictureWidth, kPictureHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawSky(painter);
    DrawStation(painter);
    DrawController(painter);
    DrawTitle(painter);
    return picture;
}

TFormAbout::TFormAbout(QWidget *parent) : QDialog(parent), ui(new Ui::TFormAbout)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ui->Image1->setPixmap(AboutPicture());
    ui->BitBtn1->setIcon(Glyphs::Ok());
    ui->BitBtn1->setIconSize(QSize(20, 20));
    for (QFrame *block : {ui->Credits, ui->Contacts}) {
        block->setAutoFillBackground(true);
        QPalette palette = block->palette();
        palette.setColor(QPalette::Window, QColor(255, 255, 240, 225));
        block->setPalette(palette);
    }
    for (QLabel *role : {ui->CreditRole1, ui->CreditRole2, ui->CreditRole3, ui->ContactCaption1,
                         ui->ContactCaption2, ui->ContactCaption3}) {
        QFont font = role->font();
        font.setBold(true);
        role->setFont(font);
    }
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormAbout::BitBtn1Click);
    FitCaptions(*this);
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::showEvent(QShowEvent *event)
{
    setFixedSize(530, 528);
    QDialog::showEvent(event);
}

void TFormAbout::BitBtn1Click()
{
    accept();
}

} // namespace ktv31
