// The controller's configuration: read, saved as a file, edited and written back where it changed.
#pragma once

#include "config/configimage.h"
#include "service/outcome.h"

#include <QString>

namespace ktv31 {

class ServiceSession;

// The whole configuration read under the wait dialog into the image, and into `record` as a
// configuration file holds it: over a new record of the controller's generation when
// `forEditor`. A read that fails is told: "Параметры конфигурации не прочитаны".
Outcome ReadConfigurationRecord(ServiceSession &session, ConfigRecord &record, bool forEditor);

// The configuration read and saved as a file at `path`, or where the person chooses when
// `path` is empty.
Outcome SaveConfigurationToFile(ServiceSession &session, const QString &path = {});

// What `edited` changed against `asRead` (the record ReadConfigurationRecord gave) written into
// the controller: the content checked, the configuration as read kept as a backup, only the
// changed fields written, each run read back; every field not changed keeps the bytes the
// controller holds. "Нет измененных данных" when nothing differs. The image holds what was
// written afterwards.
Outcome WriteChanges(ServiceSession &session, const ConfigRecord &asRead,
                     const ConfigRecord &edited);

} // namespace ktv31
