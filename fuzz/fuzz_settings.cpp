// Fuzz target: arbitrary bytes as the settings record, loaded, its texts read and stored back.
#include "fuzzcheck.h"

#include "shell/settings.h"

using namespace ktv31;

namespace {

// Reading a text and storing it again settles after one round: what was once saved loads back.
template <typename Get, typename Set>
void CheckTextSettles(ConnectionSettings settings, Get get, Set set)
{
    (settings.*set)((settings.*get)());
    const QString once = (settings.*get)();
    (settings.*set)(once);
    FUZZ_CHECK((settings.*get)() == once);
}

} // namespace

// The file is only the carrier: ReadSettingsFile hands its first bytes to fromBytes, which is
// what arbitrary content can reach, and SaveSettings writes toBytes. So the loading and the
// storing back are checked on the bytes themselves.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const ConnectionSettings loaded = ConnectionSettings::fromBytes(bytes);
    if (bytes.size() >= ConnectionSettings::Size)
        FUZZ_CHECK(loaded.toBytes() == bytes.left(ConnectionSettings::Size));
    else
        FUZZ_CHECK(loaded == ConnectionSettings::Defaults());

    CheckTextSettles(loaded, &ConnectionSettings::ModemCommand,
                     &ConnectionSettings::setModemCommand);
    CheckTextSettles(loaded, &ConnectionSettings::CountryCode, &ConnectionSettings::setCountryCode);
    CheckTextSettles(loaded, &ConnectionSettings::CityCode, &ConnectionSettings::setCityCode);
    CheckTextSettles(loaded, &ConnectionSettings::PhoneNumber, &ConnectionSettings::setPhoneNumber);

    const QByteArray stored = loaded.toBytes();
    FUZZ_CHECK(stored.size() == ConnectionSettings::Size);
    FUZZ_CHECK(ConnectionSettings::fromBytes(stored) == loaded);
    return 0;
}
