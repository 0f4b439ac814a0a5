// Edits of the link parameters, the modem string and the calculator links.
#include "configedits.h"

#include "protocol/controllercodes.h"

namespace ktv31::soak {
namespace {

constexpr int kLongestRun = 16;
constexpr int kPorts = 4; // none, A, B, C

int Between(QRandomGenerator &random, int low, int high)
{
    return low + int(random.bounded(quint32(high - low + 1)));
}

void EditLinkParameter(ConfigImage &image, QRandomGenerator &random)
{
    const int field = Between(random, 1, image.LinkParameterCount() - 1);
    const int offset = ImageOffset::LinkParameters + field;
    const quint8 old = image.u8(offset);
    image.setU8(offset, quint8(old + Between(random, 1, 255)));
}

void EditModemString(ConfigImage &image, QRandomGenerator &random)
{
    const QByteArray old = image.slice(ImageOffset::ModemString, ModemStringSize);
    QByteArray text;
    do {
        text = "ATS0=" + QByteArray::number(Between(random, 0, 9)) + "D";
        for (int digits = Between(random, 0, 40); digits > 0; --digits)
            text.append(char('0' + Between(random, 0, 9)));
        text.append('\r');
        text = text.leftJustified(ModemStringSize, '\0');
    } while (text == old);
    image.setSlice(ImageOffset::ModemString, ModemStringSize, text);
}

void EditLinkRun(ConfigImage &image, const ConfigImage &before, QRandomGenerator &random)
{
    const int start = Between(random, 0, CalculatorCount - 1);
    const int length = Between(random, 1, std::min(kLongestRun, CalculatorCount - start));
    for (int address = start; address < start + length; ++address) {
        quint8 link;
        do {
            link = LinkByte::Make(quint8(random.bounded(kPorts)),
                                  quint8(random.bounded(SpeedCodeCount)));
        } while (link == before.LinkByteAt(address));
        image.setLinkByteAt(address, link);
    }
}

} // namespace

ConfigImage EditForWrite(const ConfigImage &image, QRandomGenerator &random)
{
    ConfigImage edited = image;
    // Bits 0..2 choose the tables; 0 would change nothing.
    const int tables = Between(random, 1, 7);
    if (tables & 1)
        EditLinkParameter(edited, random);
    if (tables & 2)
        EditModemString(edited, random);
    if (tables & 4) {
        EditLinkRun(edited, image, random);
        if (random.bounded(2))
            EditLinkRun(edited, image, random);
    }
    return edited;
}

} // namespace ktv31::soak
