// Reading the station book: the CSV rows, the columns the header names and every value checked.
#include "stations/stationbook.h"

#include "connection/linkparameters.h"
#include "shell/cp1251.h"
#include "shell/settings.h"
#include "shell/wholefile.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace ktv31 {
namespace {

constexpr qint64 kMaxBookBytes = 16 * 1024 * 1024;
constexpr int kMaxNameLength = 100;

enum class ColumnKind
{
    Name,
    Phone,
    Port,
    ModemInit,
    LinkValue
};

struct ColumnRule
{
    const char *name;
    ColumnKind kind;
    const LinkLimit *limit;
};

const ColumnRule kColumns[] = {
    {"name", ColumnKind::Name, nullptr},
    {"phone", ColumnKind::Phone, nullptr},
    {"port", ColumnKind::Port, &LinkLimits::Port},
    {"modem_init", ColumnKind::ModemInit, nullptr},
    {"speed", ColumnKind::LinkValue, &LinkLimits::Speed},
    {"preambles", ColumnKind::LinkValue, &LinkLimits::Preambles},
    {"attempts", ColumnKind::LinkValue, &LinkLimits::Attempts},
    {"first_byte_wait", ColumnKind::LinkValue, &LinkLimits::FirstByteWait},
    {"next_byte_wait", ColumnKind::LinkValue, &LinkLimits::NextByteWait},
    {"rts_pause", ColumnKind::LinkValue, &LinkLimits::RtsPause},
    {"connect_wait", ColumnKind::LinkValue, &LinkLimits::ConnectWait},
    {"connect_attempts", ColumnKind::LinkValue, &LinkLimits::ConnectAttempts},
};

struct Row
{
    int line;
    QStringList cells;
};

struct Rows
{
    QList<Row> rows;
    std::optional<BookFault> fault;
};

QString DecodeBook(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return fromCp1251(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// The separator the header row uses outside quotes: the more frequent of ";" and ",".
QChar SeparatorOf(QStringView text)
{
    int semicolons = 0;
    int commas = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') && !quoted)
            break;
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
    }
    return semicolons >= commas && semicolons > 0 ? QLatin1Char(';') : QLatin1Char(',');
}

// Splits the text into rows of cells as a spreadsheet writes them: a cell in double quotes may
// hold the separator, line breaks and doubled quotes. Rows with nothing in them are left out.
Rows SplitRows(QStringView text, QChar separator)
{
    Rows out;
    Row row{1, {}};
    QString cell;
    int line = 1;
    bool quoted = false;
    const auto endRow = [&] {
        row.cells.append(cell.trimmed());
        cell.clear();
        const bool blank = std::all_of(row.cells.cbegin(), row.cells.cend(),
                                       [](const QString &c) { return c.isEmpty(); });
        if (!blank)
            out.rows.append(row);
        row = Row{line, {}};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                cell.append(text[++i]);
            else if (c == QLatin1Char('"'))
                quoted = false;
            else {
                if (c == QLatin1Char('\n'))
                    ++line;
                cell.append(c);
            }
        } else if (c == QLatin1Char('"') && cell.trimmed().isEmpty()) {
            cell.clear();
            quoted = true;
        } else if (c == separator) {
            row.cells.append(cell.trimmed());
            cell.clear();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRow();
        } else if (c != QLatin1Char('\r')) {
            cell.append(c);
        }
    }
    if (quoted) {
        out.fault = BookFault{row.line, {}, QStringLiteral("кавычка не закрыта")};
        return out;
    }
    endRow();
    return out;
}

const ColumnRule *ColumnNamed(const QString &header)
{
    QString name = header.toLower();
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    for (const ColumnRule &column : kColumns)
        if (name == QLatin1String(column.name))
            return &column;
    return nullptr;
}

std::optional<QString> NameFault(const QString &name)
{
    static const QRegularExpression forbidden(QStringLiteral("[<>:\"/\\\\|?*\\x00-\\x1f]"));
    if (name.isEmpty())
        return QStringLiteral("имя станции не задано");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("имя длиннее %1 символов").arg(kMaxNameLength);
    // The name is the folder of the station's configurations, on every system the program runs.
    if (name.contains(forbidden) || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.endsWith(QLatin1Char('.')))
        return QStringLiteral("имя не годится для папки: без символов < > : \" / \\ | ? * и "
                              "без точки в конце");
    return std::nullopt;
}

std::optional<QString> NumberFault(const LinkLimit &limit, const QString &text, int &value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const bool number = digits.match(text).hasMatch();
    if (number && InRange(limit, text.toLongLong())) {
        value = text.toInt();
        return std::nullopt;
    }
    if (&limit == &LinkLimits::Speed)
        return QStringLiteral("%1: нет такой скорости (300...230400 бит/с)")
            .arg(QString::fromUtf8(limit.name));
    return QStringLiteral("%1: Параметр вне допустимого диапазона (%2...%3)")
        .arg(QString::fromUtf8(limit.name))
        .arg(limit.low)
        .arg(limit.high);
}

std::optional<QString> TextFault(const QString &text, int maxLength)
{
    if (text.size() > maxLength)
        return QStringLiteral("длиннее %1 символов").arg(maxLength);
    return std::nullopt;
}

std::optional<QString> StoreCell(const ColumnRule &column, const QString &text, Station &station)
{
    switch (column.kind) {
    case ColumnKind::Name:
        station.name = text;
        return NameFault(text);
    case ColumnKind::Phone:
        station.phone = text;
        if (const auto fault = TextFault(text, LinkTextLength::PhoneNumber))
            return fault;
        if (const QString fault = DialNumberFault(text); !fault.isEmpty())
            return fault;
        return std::nullopt;
    case ColumnKind::Port:
        return NumberFault(*column.limit, text, station.port);
    case ColumnKind::ModemInit:
        station.modemInit = text;
        return TextFault(text, LinkTextLength::ModemCommand);
    case ColumnKind::LinkValue: {
        int value = 0;
        if (const auto fault = NumberFault(*column.limit, text, value))
            return fault;
        station.link.append({column.limit, value});
        return std::nullopt;
    }
    }
    return std::nullopt;
}

struct Header
{
    QList<const ColumnRule *> columns;
    std::optional<BookFault> fault;
};

Header ReadHeader(const Row &row)
{
    Header header;
    for (const QString &cell : row.cells) {
        const ColumnRule *column = ColumnNamed(cell);
        if (!column) {
            header.fault = BookFault{row.line, cell, QStringLiteral("неизвестный столбец")};
            return header;
        }
        if (header.columns.contains(column)) {
            header.fault = BookFault{row.line, cell, QStringLiteral("столбец повторяется")};
            return header;
        }
        header.columns.append(column);
    }
    if (!header.columns.contains(&kColumns[0]))
        header.fault = BookFault{row.line, QStringLiteral("name"), QStringLiteral("нет столбца")};
    return header;
}

std::optional<BookFault> ReadStation(const Header &header, const Row &row, Station &station)
{
    station.bookLine = row.line;
    if (row.cells.size() > header.columns.size())
        return BookFault{row.line, QString::number(header.columns.size() + 1),
                         QStringLiteral("значений больше, чем столбцов в заголовке")};
    for (qsizetype i = 0; i < row.cells.size(); ++i) {
        const ColumnRule &column = *header.columns[i];
        const QString &text = row.cells[i];
        if (text.isEmpty() && column.kind != ColumnKind::Name)
            continue;
        if (const auto fault = StoreCell(column, text, station))
            return BookFault{row.line, QString::fromLatin1(column.name), *fault};
    }
    if (station.name.isEmpty())
        return BookFault{row.line, QStringLiteral("name"), *NameFault(station.name)};
    if (!station.telephone() && station.port == 0)
        return BookFault{row.line, QStringLiteral("port"),
                         QStringLiteral("станции без телефона нужен порт прямой связи")};
    return std::nullopt;
}

} // namespace

QString BookFault::text() const
{
    if (line == 0)
        return reason;
    if (column.isEmpty())
        return QStringLiteral("строка %1: %2").arg(line).arg(reason);
    return QStringLiteral("строка %1, столбец %2: %3").arg(line).arg(column, reason);
}

StationBook ParseStationBook(const QByteArray &bytes)
{
    StationBook book;
    const QString text = DecodeBook(bytes);
    Rows rows = SplitRows(text, SeparatorOf(text));
    if (rows.fault) {
        book.fault = rows.fault;
        return book;
    }
    if (rows.rows.isEmpty()) {
        book.fault = BookFault{1, {}, QStringLiteral("нет строки заголовка")};
        return book;
    }
    const Header header = ReadHeader(rows.rows.first());
    if (header.fault) {
        book.fault = header.fault;
        return book;
    }
    // Folders of names that differ only in case are one folder on Windows.
    QHash<QString, int> seen;
    for (qsizetype i = 1; i < rows.rows.size(); ++i) {
        Station station;
        if (const auto fault = ReadStation(header, rows.rows[i], station)) {
            book.fault = fault;
            break;
        }
        const QString key = station.name.toCaseFolded();
        if (const auto it = seen.constFind(key); it != seen.cend()) {
            book.fault = BookFault{
                station.bookLine, QStringLiteral("name"),
                QStringLiteral("станция «%1» уже есть в строке %2").arg(station.name).arg(*it)};
            break;
        }
        seen.insert(key, station.bookLine);
        book.stations.append(std::move(station));
    }
    if (book.fault)
        book.stations.clear();
    return book;
}

StationBook ReadStationBook(const QString &path)
{
    const FileRead read = ReadFileStart(path, kMaxBookBytes + 1);
    if (!read.ok()) {
        StationBook book;
        book.fault =
            BookFault{0, {}, OpenFailedText() + QStringLiteral(": ") + FileFaultText(read.fault)};
        return book;
    }
    if (read.bytes.size() > kMaxBookBytes) {
        StationBook book;
        book.fault = BookFault{0, {}, QStringLiteral("файл больше 16 МБ")};
        return book;
    }
    return ParseStationBook(read.bytes);
}

ConnectionSettings StationLinkSettings(const Station &station, const ConnectionSettings &base)
{
    ConnectionSettings s = base;
    if (station.telephone()) {
        s.setLinkType(TelephoneLink);
        s.setCountryCode(QString());
        s.setCityCode(QString());
        s.setPhoneNumber(station.phone);
    } else {
        s.setLinkType(DirectLink);
    }
    if (station.port)
        s.setPortNumber(quint8(station.port));
    if (station.modemInit)
        s.setModemCommand(*station.modemInit);
    for (const StationLinkValue &v : station.link) {
        if (v.limit == &LinkLimits::Speed)
            s.setSpeed(v.value);
        else if (v.limit == &LinkLimits::Preambles)
            s.setPreambleCount(quint8(v.value));
        else if (v.limit == &LinkLimits::Attempts)
            s.setAttempts(quint8(v.value));
        else if (v.limit == &LinkLimits::FirstByteWait)
            s.setFirstByteWaitS(v.value);
        else if (v.limit == &LinkLimits::NextByteWait)
            s.setNextByteWaitMs(v.value);
        else if (v.limit == &LinkLimits::RtsPause)
            s.setRtsPauseMs(v.value);
        else if (v.limit == &LinkLimits::ConnectWait)
            s.setConnectWaitS(v.value);
        else if (v.limit == &LinkLimits::ConnectAttempts)
            s.setConnectAttempts(v.value);
    }
    return s;
}

} // namespace ktv31
