// The station book: the stations of a round as a spreadsheet exports them (CSV), read and checked.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace ktv31 {

class ConnectionSettings;
struct LinkLimit;

// A link value a station sets for itself, over the settings in force.
struct StationLinkValue
{
    const LinkLimit *limit;
    int value;
};

struct Station
{
    QString name;
    QString phone;                    // empty: a direct link
    int port = 0;                     // a direct station's COM port; a telephone one's line, 0 any
    std::optional<QString> modemInit; // absent: the settings'
    QList<StationLinkValue> link;     // speed, attempts, waits, ... as the book gives them
    int bookLine = 0;                 // the line of the book it stands on, for messages

    bool telephone() const { return !phone.isEmpty(); }
};

// Where the book is refused: the line (1 = the header) and the column's name, with the reason.
struct BookFault
{
    int line = 0;
    QString column;
    QString reason;
    // "строка 3, столбец phone: ..."
    QString text() const;
};

struct StationBook
{
    QList<Station> stations;
    std::optional<BookFault> fault; // the first one; no stations then
    bool ok() const { return !fault; }
};

// The book's bytes: UTF-8 (a leading byte-order mark is skipped), or Windows-1251 when they are
// not valid UTF-8; the separator, ";" or ",", is the one the header row uses.
StationBook ParseStationBook(const QByteArray &bytes);
// The book at `path`; a file that cannot be read is a fault of line 0.
StationBook ReadStationBook(const QString &path);

// `base` with what the station sets: its link type, port, number, modem string and values.
ConnectionSettings StationLinkSettings(const Station &station, const ConnectionSettings &base);

} // namespace ktv31
