// The connection parameters: their names and ranges, and the connection dialog's checks in order.
#pragma once

#include "shell/inputfault.h"

#include <QString>

#include <optional>

namespace ktv31 {

class ConnectionSettings;

struct LinkLimit
{
    const char *name; // as the connection dialog names the parameter in its messages
    int low;
    int high;
};

namespace LinkLimits {
extern const LinkLimit LinkType;
extern const LinkLimit Port;
extern const LinkLimit Speed; // low/high unused: a speed must be one of the speed table
extern const LinkLimit Attempts;
extern const LinkLimit FirstByteWait;
extern const LinkLimit NextByteWait;
extern const LinkLimit Preambles;
extern const LinkLimit RtsPause;
extern const LinkLimit ConnectWait;
extern const LinkLimit ConnectAttempts;
extern const LinkLimit PhoneNumber;
extern const LinkLimit ModemCommand; // a text: ModemCommandFault judges it
} // namespace LinkLimits

bool InRange(const LinkLimit &limit, qint64 value);

// Longest texts the telephone fields take: their settings fields less the terminator.
namespace LinkTextLength {
constexpr int ModemCommand = 199;
constexpr int CountryCode = 9;
constexpr int CityCode = 9;
constexpr int PhoneNumber = 34;
} // namespace LinkTextLength

// Why a telephone number cannot be dialled, empty when it can: control characters and ";" (which
// would end the dial command early and leave the modem in command state) are refused, and some
// digit must remain once the separators (blanks, "-", "(" and ")") are taken out.
QString DialNumberFault(const QString &number);
// Why a modem initialisation text cannot be sent, empty when it can: a control character would
// reach the modem inside a command (a CR would end it early, a BEL or ESC garbles it).
QString ModemCommandFault(const QString &command);

// What the connection dialog's controls hold when a button is pressed: the values the lists
// have selected (-1 = no selection) and the edit texts as typed.
struct LinkForm
{
    int linkType = -1;       // ComboBox4: 0 direct, 1 telephone
    int port = -1;           // ComboBox1: 1..16
    int speed = -1;          // ComboBox2: bit/s, one of the speed table
    int attempts = -1;       // ComboBox3: 1..5
    QString firstByteWaitS;  // Edit1
    QString nextByteWaitMs;  // Edit2
    QString preambles;       // Edit3
    QString rtsPauseMs;      // Edit4
    QString modemCommand;    // Edit5
    QString connectWaitS;    // Edit6
    QString countryCode;     // Edit7
    QString cityCode;        // Edit8
    QString phoneNumber;     // Edit9
    QString connectAttempts; // Edit10
};

// The form as stored settings fill it: a value the list does not hold (a port outside 1..16, a
// speed outside the speed table) is no selection.
LinkForm LinkFormOf(const ConnectionSettings &settings);

// The first fault of the form: the dialog's two lines and the parameter they are about, so that
// a front end which names parameters otherwise (the tool's options) can say which.
struct LinkFault : InputFault
{
    const LinkLimit *parameter = nullptr;
};

// The telephone fields, checked and stored into `working` in the dialog's order; stops at the
// first fault, keeping what was stored before it. A number that DialNumberFault refuses, or a
// modem command that ModemCommandFault refuses, is out of range.
std::optional<LinkFault> CheckTelephoneParameters(const LinkForm &form,
                                                  ConnectionSettings &working);
// Every list has a selection and none of Edit1..Edit4 is empty.
std::optional<LinkFault> CheckLinkSelections(const LinkForm &form);
// Link type, attempts and the four timing values into `working`, each stored as soon as it
// passes; stops at the first value out of range. Port and speed are not taken from the form:
// the dialog keeps them in `working` as the operator picks them.
std::optional<LinkFault> StoreLinkParameters(const LinkForm &form, ConnectionSettings &working);

} // namespace ktv31
