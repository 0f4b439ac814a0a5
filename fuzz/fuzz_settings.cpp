// Fuzz target: arbitrary bytes as the settings file, loaded, its texts read and stored back.
#include "fuzzcheck.h"

#include "shell/settings.h"

#include <QFile>
#include <QTemporaryDir>

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    const ConnectionSettings loaded = LoadSettings(path);
    const ConnectionSettings parsed = ConnectionSettings::fromBytes(bytes);
    FUZZ_CHECK(loaded == parsed);
    if (bytes.size() >= ConnectionSettings::Size)
        FUZZ_CHECK(loaded.toBytes() == bytes.left(ConnectionSettings::Size));
    else
        FUZZ_CHECK(loaded == ConnectionSettings::Defaults());

    CheckTextSettles(loaded, &ConnectionSettings::ModemCommand, &ConnectionSettings::setModemCommand);
    CheckTextSettles(loaded, &ConnectionSettings::CountryCode, &ConnectionSettings::setCountryCode);
    CheckTextSettles(loaded, &ConnectionSettings::CityCode, &ConnectionSettings::setCityCode);
    CheckTextSettles(loaded, &ConnectionSettings::PhoneNumber, &ConnectionSettings::setPhoneNumber);

    FUZZ_CHECK(SaveSettings(path, loaded));
    FUZZ_CHECK(LoadSettings(path) == loaded);
    return 0;
}
