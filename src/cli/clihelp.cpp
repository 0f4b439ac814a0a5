// Help texts of the tool and of each command.
#include "cli/clihelp.h"

#include "shell/settings.h"

namespace ktv31::cli {
namespace {

const char kUsage[] = "Usage: ktv31-cli [options] COMMAND [arguments]\n";

const char kCommands[] =
    "Commands:\n"
    "  identify                  read the identification, apply the device check, print the\n"
    "                            nine lines of the identification view\n"
    "  detect-speed              probe 600 ... 230400 bit/s for the controller's speed\n"
    "  read-config FILE          read the whole configuration into a configuration file\n"
    "  write-config FILE         write what differs from the controller; with\n"
    "      [--tables 3,5,6 | --all]   rewrite those whole tables from the file\n"
    "  table-state               print which writable tables the controller reports destroyed\n"
    "  show FILE                 decode a configuration file\n"
    "  diff FILE1 FILE2          list every difference between two configuration files\n"
    "  new FILE --generation 3|5 write a new empty configuration file for software versions\n"
    "                            3/4 or 5/6\n"
    "  decode HEX...             decode one frame given as hex bytes (\"CC 00 0C 1D ...\")\n"
    "  decode-log FILE           print an exchange log (LOG/exchange.log) decoded, one line a\n"
    "                            row\n"
    "  fields                    имена полей конфигурации, их вид и допустимые значения\n"
    "  get FILE [NAME...]        значения полей файла строками ИМЯ=ЗНАЧЕНИЕ\n"
    "  set FILE NAME=VALUE...    изменить поля файла (--output NEW: записать в NEW)\n"
    "  write-config --set NAME=VALUE...   изменить поля в контроллере: чтение, проверка,\n"
    "                            запись только измененного и контрольное чтение\n"
    "  stations backup|apply|history BOOK ...\n"
    "                            обход станций книги по нескольким линиям сразу\n";

const char kLinkOptions[] =
    "Link options (what is not given comes from the program's settings file, INI/ktv31.ini\n"
    "in the program folder; the tool never writes that file):\n"
    "  --port N                  COM port 1...16 (on Linux the link INI/COM<N> in the program\n"
    "                            folder, else /dev/ttyS<N-1>)\n"
    "  --device PATH             a serial device instead of a COM port number\n"
    "  --speed BPS               exchange speed, one of 300 ... 230400 of the speed table\n"
    "  --preambles N             Количество преамбул в запросе (0...255)\n"
    "  --attempts N              Количество попыток обмена (1...5)\n"
    "  --first-byte-wait S       Время ожидания первого байта ответа (1...120), seconds\n"
    "  --next-byte-wait MS       Время ожидания следующих байтов ответа (55...5000), ms\n"
    "  --rts-pause MS            Пауза после установки RTS (2...1000), ms\n"
    "  --settings FILE           another settings file to take the defaults from\n"
    "Telephone link (the tool dials before the work and always hangs up after it):\n"
    "  --phone TEXT              the whole number to dial (makes the link a telephone link;\n"
    "                            the country and city codes of the settings are not added);\n"
    "                            blanks, \"-\", \"(\" and \")\" are left out, at least one digit\n"
    "                            must remain, \";\" and control characters are refused\n"
    "  --modem-init TEXT         modem initialisation commands, separated by \"^\"; only what\n"
    "                            begins with \"AT\" is sent\n"
    "  --connect-wait S          Ожидание соединения (1...360), seconds\n"
    "  --connect-attempts N      Кол. попыток соединения (1...10)\n"
    "  --direct                  a direct link even if the settings say telephone\n";

const char kOtherOptions[] =
    "Other options:\n"
    "  --retry N                 repeat a failed table transfer up to N times (default 0)\n"
    "  --trace                   every frame sent (TX) and received (RX) on standard error,\n"
    "                            with milliseconds since the start\n"
    "  --no-log                  keep no exchange log (LOG/exchange.log in the program\n"
    "                            folder: every frame, modem line and result, with the time)\n"
    "  --verbose                 the progress texts of the program on standard error\n"
    "  --json                    machine-readable output of the commands that print data\n"
    "  -h, --help                this text; COMMAND --help describes one command\n"
    "  --version                 the tool's version\n";

const char kExitStatus[] =
    "Exit status: 0 done; 1 the controller did not answer or refused, or the link failed;\n"
    "2 bad usage (also a file name not valid in the locale's encoding); 3 a file could not be\n"
    "read or written (only regular files are), is not a configuration file or holds values\n"
    "that are never written, a damaged settings file, or standard output could not be\n"
    "written; 4 the device was rejected by the device check; 130 Ctrl-C (SIGINT), 143\n"
    "SIGTERM, 129 SIGHUP (terminal closed): ended by the signal, after hanging up and closing\n"
    "the line.\n"
    "Data go to standard output, the program's messages to standard error.\n";

QString Text(const char *text)
{
    return QString::fromUtf8(text);
}

QString ProgramFolderText()
{
    return QStringLiteral("Program folder (INI, CONFIG, LOG): %1\n"
                          "(beside the executable when it may write there, else the user's data "
                          "folder)\n")
        .arg(ProgramDir());
}

} // namespace

QString GeneralHelp()
{
    return Text(kUsage) + QLatin1Char('\n') + Text(kCommands) + QLatin1Char('\n') +
           Text(kLinkOptions) + QLatin1Char('\n') + Text(kOtherOptions) + QLatin1Char('\n') +
           Text(kExitStatus) + QLatin1Char('\n') + ProgramFolderText();
}

QString CommandHelp(Command command)
{
    switch (command) {
    case Command::Identify:
        return QStringLiteral(
            "Usage: ktv31-cli [link options] identify [--json]\n"
            "Reads table 0 (the identification block), applies the device check (type code 8,\n"
            "software version 3 to 6; exit 4 otherwise) and prints the nine lines of the\n"
            "identification view.\n");
    case Command::DetectSpeed:
        return QStringLiteral(
            "Usage: ktv31-cli [link options] detect-speed [--json]\n"
            "On a direct link, probes 600 ... 230400 bit/s in ascending order with one\n"
            "identification read each (one attempt, 300 ms for the first byte, 100 ms between\n"
            "bytes) and prints the first speed that answered; \"Связь не установлена\" and exit 1\n"
            "when none did. The settings file is not changed.\n");
    case Command::ReadConfig:
        return QStringLiteral(
            "Usage: ktv31-cli [link options] read-config FILE\n"
            "Reads tables 0, 3, 5, 6 and 1 and saves them as a 1247-byte configuration file.\n"
            "An existing FILE is replaced whole; a failed save leaves it as it was.\n");
    case Command::WriteConfig:
        return QStringLiteral(
            "Usage: ktv31-cli [link options] write-config FILE [--tables 3,5,6 | --all]\n"
            "                 [--no-backup] [--no-verify]\n"
            "Without --tables or --all: reads the controller's configuration and writes only\n"
            "what differs in FILE (table 3, table 5, runs of changed calculator links); the\n"
            "configuration as read is first kept in CONFIG/backup beside the program (the 50\n"
            "newest are kept), unless --no-backup is given.\n"
            "With --tables (any of 3, 5, 6) or --all: rewrites those whole tables from FILE\n"
            "(direct link only), then reads the identification again.\n"
            "Before the first write, what is to be written is checked: table 3 within its\n"
            "ranges, speed codes of the speed table, ports 0...3, a modem string of printable\n"
            "characters up to its CR; the first fault ends the command with exit 3, as does a\n"
            "link speed the controller does not offer. Every run written is read back and\n"
            "compared byte by byte, unless --no-verify is given: a difference ends the command\n"
            "with \"Проверка записи не пройдена\", the first difference and exit 1. A write cut\n"
            "short (refused, line lost, interrupted) says which tables were written and which\n"
            "were not.\n"
            "With --set NAME=VALUE (repeatable) and no FILE: reads the controller's\n"
            "configuration, changes the named fields (ktv31-cli fields lists them), then the\n"
            "same check, backup, changed-only write and read-back; prints what changed\n"
            "(calc.12.speed: 9600 -> 19200). Allowed over a telephone link too.\n");
    case Command::TableState:
        return QStringLiteral(
            "Usage: ktv31-cli [link options] table-state [--json]\n"
            "Reads table 7 and prints, for each writable table, whether the controller\n"
            "reports it destroyed.\n");
    case Command::Show:
        return QStringLiteral(
            "Usage: ktv31-cli show FILE [--json]\n"
            "Decodes a configuration file: the identification (full for a file read from a\n"
            "controller, reduced otherwise), the link parameters, the modem string and every\n"
            "connected calculator with its port and speed.\n");
    case Command::Diff:
        return QStringLiteral(
            "Usage: ktv31-cli diff FILE1 FILE2 [--json]\n"
            "Lists every difference between two configuration files, field by field and\n"
            "calculator by calculator (\"No differences\" when there is none; exit 0 either\n"
            "way).\n");
    case Command::New:
        return QStringLiteral(
            "Usage: ktv31-cli new FILE --generation 3|5\n"
            "Writes a new empty configuration file: type 8, the generation, 1200 bit/s, 3 and\n"
            "5 preambles, low priority, no calculator connected.\n");
    case Command::Decode:
        return QStringLiteral(
            "Usage: ktv31-cli decode HEX... [--json]\n"
            "Decodes one frame without opening a port: the bytes as pairs of hex digits, blanks\n"
            "between the pairs allowed, also as several arguments (CC 00 0C 1D 00 00 11 00 00 00\n"
            "7D 6C). A request or an answer by its start symbol; preambles counted; address,\n"
            "function, for function 29 the table with its caption, the fields and what they\n"
            "hold; a refusal with the controller's error text; \"CRC неверна\", \"кадр\n"
            "неполный\" and bytes beyond the frame's length marked. Exit 2 for bytes that are no\n"
            "hex.\n");
    case Command::DecodeLog:
        return QStringLiteral(
            "Usage: ktv31-cli decode-log FILE [--json]\n"
            "Prints an exchange log as the program writes it (LOG/exchange.log in the program\n"
            "folder, and its older files .1 and .2) decoded, one line a row: time, milliseconds\n"
            "since the row before, TX/RX/MODEM>/MODEM</RESULT/NOTE, \"!\" for a fault (a\n"
            "refusal, a CRC or length fault, a cut frame, a failed result), what the row says\n"
            "and the bytes of a frame. An answer is decoded against the request before it.\n"
            "Lines of another form are named on standard error and skipped; a file with none\n"
            "of the log's lines gives exit 3, as does a file that cannot be read.\n");
    case Command::Fields:
        return QStringLiteral(
            "Использование: ktv31-cli fields [--json]\n"
            "Перечисляет поля конфигурации по именам (link.speed, modem.init, calc.N.port, ...):\n"
            "вид, допустимые значения и подпись, как ее показывают окна. Поля ident.* только\n"
            "читаются.\n");
    case Command::Get:
        return QStringLiteral(
            "Использование: ktv31-cli get FILE [NAME...] [--json]\n"
            "Печатает поля файла конфигурации строками ИМЯ=ЗНАЧЕНИЕ (все поля, если имена не\n"
            "заданы). Значения как их читает человек: скорости в бит/с, порты буквами A, B, C,\n"
            "строка модема без завершающего CR.\n");
    case Command::Set:
        return QStringLiteral(
            "Использование: ktv31-cli set FILE NAME=VALUE... [--output NEW]\n"
            "Изменяет поля файла конфигурации (или записывает результат в NEW) целиком или\n"
            "никак: неизвестное имя, адрес вне 1...254, значение вне диапазона или списка,\n"
            "недопустимый текст отклоняются с кодом 2, и файл остается байт в байт прежним.\n"
            "Скорость проверяется по таблице скоростей; скорости, которые предлагает\n"
            "контроллер, проверяются при записи в него.\n");
    case Command::Stations:
        return QStringLiteral(
            "Использование: ktv31-cli stations backup КНИГА --lines 1,2 [--redial N] [--resume]\n"
            "                                    [--json] [--verbose]\n"
            "               ktv31-cli stations apply КНИГА --lines 1,2 --set ИМЯ=ЗНАЧЕНИЕ...\n"
            "                                    [--dry-run] [--redial N] [--json]\n"
            "               ktv31-cli stations history КНИГА ИМЯ [--json]\n"
            "КНИГА - CSV-файл станций (разделитель \";\" или \",\", UTF-8 или Windows-1251) со\n"
            "столбцами name, phone, port, speed, modem_init и параметрами связи (attempts,\n"
            "first_byte_wait, next_byte_wait, rts_pause, preambles, connect_wait,\n"
            "connect_attempts). --lines - COM-порты с модемом; станция с port и без phone\n"
            "обслуживается по прямой связи на своём порту. Занятые и не ответившие станции\n"
            "вызываются снова после остальных, до N раз (по умолчанию 2).\n"
            "backup сохраняет конфигурацию станции в CONFIG/stations/ИМЯ/ только когда она\n"
            "изменилась и называет изменённые поля; apply вносит одно изменение во все\n"
            "станции, как write-config --set. Журнал обходов - CONFIG/stations/journal.jsonl;\n"
            "--resume продолжает последний обход книги. Код выхода 0 - все станции\n"
            "обслужены, 1 - не все, 2 - ошибка в книге или в параметрах.\n");
    case Command::StationVisit:
    case Command::None:
        break;
    }
    return GeneralHelp();
}

QString UsageHint()
{
    return QStringLiteral("Try 'ktv31-cli --help'.");
}

} // namespace ktv31::cli
