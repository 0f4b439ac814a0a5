// Fuzz target: arbitrary bytes as a configuration file, parsed, written back and read again.
#include "fuzzcheck.h"

#include "config/configfile.h"

using namespace ktv31;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ConfigFileResult parsed = ParseConfigFile(bytes);

    FUZZ_CHECK(parsed.ok() == (parsed.record.u8(RecordOffset::TypeCode) == ServedTypeCode));
    if (bytes.size() >= RecordSize)
        FUZZ_CHECK(parsed.record.toBytes() == bytes.left(RecordSize));
    else if (bytes.size() != OldRecordOffset::Size)
        FUZZ_CHECK(parsed.record.toBytes() == QByteArray(RecordSize, '\0'));
    if (!parsed.ok())
        return 0;

    // A record that was accepted survives saving and loading unchanged. WriteConfigFile stores
    // toBytes and ReadConfigFile parses what it reads, so the file in between is left out.
    const QByteArray saved = parsed.record.toBytes();
    FUZZ_CHECK(saved.size() == RecordSize);
    const ConfigFileResult again = ParseConfigFile(saved);
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again.record.toBytes() == saved);
    return 0;
}
