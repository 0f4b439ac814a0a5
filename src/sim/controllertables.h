// The simulated controller's tables and how it serves function 29 reads and writes of them.
#pragma once

#include "config/configimage.h"
#include "shell/configtables.h"
#include "sim/simoptions.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace ktv31::sim {

constexpr int TableCount = ConfigTableCount;
using DestroyedFlags = std::array<quint8, TableCount>; // table 7: non-zero = table k destroyed

// Controller error codes this controller refuses with.
namespace ControllerError {
constexpr quint8 UnknownFunction = 1;
constexpr quint8 BadRequestLength = 2;
constexpr quint8 BadParameters = 4;
constexpr quint8 NoSuchTable = 9;
constexpr quint8 WriteNotAllowed = 12;
constexpr quint8 NoSuchField = 13;
constexpr quint8 WriteBeyondTable = 14;
constexpr quint8 DestroyedTable = 60;
constexpr quint8 DestroyedTableWriteOrder = 61;
} // namespace ControllerError

struct TableShape
{
    int fields;
    int fieldSize;
    bool writable;
};
// The shape of table `table` on a controller with `firmwareVersion`; none for a missing table.
std::optional<TableShape> ShapeOfTable(int table, quint8 firmwareVersion);

struct TableOutcome
{
    quint8 error = 0;      // 0 = served
    quint8 errorValue = 0; // byte 6 of the refusal (the table, for a destroyed one)
    QByteArray data;       // answer data: table, first field, count, then a read's values
    int newSpeedCode = -1; // table 3 field 0 was written
};

// State lives in a ConfigImage, so every read and write lands exactly where the image says;
// table 7 is kept beside it.
class ControllerTables
{
public:
    explicit ControllerTables(const SimOptions &options);

    // Serves the data of one function 29 request.
    TableOutcome serve(const QByteArray &request);

    // Tables 3, 5 and 6 from a configuration record.
    void loadRecord(const ConfigRecord &record);
    void setDestroyed(const QList<int> &tables);

    const ConfigImage &image() const { return image_; }
    ConfigImage &image() { return image_; }
    const DestroyedFlags &destroyed() const { return destroyed_; }
    quint8 firmwareVersion() const { return image_.SoftwareVersion(); }

private:
    TableOutcome read(int table, int first, int count);
    TableOutcome write(int table, int first, int count, const QByteArray &values);
    quint8 checkValues(int table, int first, const QByteArray &values) const;
    void noteRebuilt(int table, int first, int count, int fields);
    void refreshDestroyedNumber();
    int imageOffset(int table, int field) const;

    ConfigImage image_;
    DestroyedFlags destroyed_{};
    // A destroyed table is rebuilt by writing its fields in order from field 0.
    std::array<int, TableCount> rebuiltUpTo_{};
};

} // namespace ktv31::sim
