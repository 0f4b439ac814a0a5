// Table transfers with the controller: one block with operator retries, and the operations on it.
#pragma once

#include "config/configimage.h"
#include "config/tablerequest.h"
#include "config/tablestate.h"
#include "config/writereport.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace ktv31 {

struct ExchangeSession;
class ConnectionSettings;
class Operator;
class ProgressSink;

// A written field that read back with another value.
struct WriteMismatch
{
    int table = 0;
    int field = 0; // the field (table 6: the calculator's address); table 5: the byte, from 0
    quint8 written = 0;
    quint8 read = 0;
};
// "Таблица 6, адрес 12: записано E2, прочитано 00".
QString WriteMismatchText(const WriteMismatch &mismatch);
// The same without the table: "адрес 12: записано E2, прочитано 00".
QString WriteDifferenceText(const WriteMismatch &mismatch);

// The state the transfers share with the main window, lent for the duration of one operation.
struct TransferContext
{
    TransferContext(ExchangeSession &session_, ConfigImage &image_, ConnectionSettings &settings_,
                    Operator &op_, int closingWaitMs_ = 500)
        : session(session_), image(image_), settings(settings_), op(op_),
          closingWaitMs(closingWaitMs_)
    {
    }

    ExchangeSession &session;
    ConfigImage &image;
    ConnectionSettings &settings;
    Operator &op;
    // The pause that ends the read-all and write-selected operations, so that the controller
    // settles before the next command.
    int closingWaitMs;
    // The port named in the link text after a speed switch; empty: COM<n> of the settings.
    QString portName;
    // What the writes of this context have got through, for telling a write cut short.
    TableWrites writes;
    // Every run written is read back and compared; the first difference ends the write.
    bool verifyWrites = false;
    // After a table-3 write the port follows the new speed (not over a modem, which keeps its own).
    bool speedFollowsTableWrite = true;
    // Opens the port again when it was lost and the operator asks for another try; false when
    // it did not open (the operator has been told why), which ends the transfer. Unset: the
    // next try goes to the lost port and fails as well.
    std::function<bool()> reopenLostPort;
    std::optional<WriteMismatch> mismatch;
    // The last write given up went out without an answer and could not be read back: the
    // controller may hold it or not.
    bool writeUnknown = false;
};

// The step text of a request, e.g. "Чтение из таблицы 0 (поля 0-17)": the range ends one past
// the last field moved.
QString TransferStepText(const TableRequest &request);

// Moves one block; a failure or a read answer for another block asks the operator whether to
// try again, as often as the operator wants. False when the operator gave up or the exchange
// was cancelled (then without asking). A write that went out without an answer is read back
// once first: found as written, it went through; otherwise the question says whether it is
// known not to have arrived or not known at all.
bool TransferTable(TransferContext &context, const TableRequest &request, int length);

// Table 0 into image bytes 0..16.
bool ReadIdentification(TransferContext &context);
// Table 1 into image bytes 17..24.
bool ReadSpeedAvailability(TransferContext &context);
// Tables 0, 3, 5, 6 and 1 into the image; a failed step leaves the earlier steps' bytes.
bool ReadConfiguration(TransferContext &context, ProgressSink &progress);
// Table 7 into the destroyed flags of `state`, with the writable flags set and no choice made.
bool ReadTableState(TransferContext &context, TableStateBuffer &state);
// Writes whole tables 3, 5 and 6 as `state` chooses them, from the image.
bool WriteSelectedTables(TransferContext &context, const TableStateBuffer &state,
                         ProgressSink &progress);
// The tables WriteChangedConfiguration would write, in its order: table 3, the modem string,
// the calculator links, each where it differs.
QList<int> TablesToWrite(const ConfigImage &image, const ConfigImage &before);
// Writes only what differs between the image and `before` (nothing when nothing does). False
// when a transfer was given up or a read-back differed.
bool WriteChangedConfiguration(TransferContext &context, const ConfigImage &before);

struct SelectedWriteOutcome
{
    bool written = false;    // every chosen table was written
    bool identified = false; // and the identification was read again afterwards
    int destroyedTable = 0;  // the table the controller still reports destroyed, 0 = none
};
// The selected-table write as the table-state procedure runs it: WriteSelectedTables, the
// controller's settling time, `afterWrite` (the windows update their menus there), then the
// identification read that tells whether a table is still destroyed.
SelectedWriteOutcome WriteSelectedAndReidentify(TransferContext &context,
                                                const TableStateBuffer &state,
                                                ProgressSink &progress,
                                                const std::function<void()> &afterWrite = {});

} // namespace ktv31
