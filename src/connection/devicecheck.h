// The test that decides whether the program serves the connected controller.
#pragma once

#include <QString>

namespace ktv31 {

class ConfigImage;

constexpr int LowestServedVersion = 3;
constexpr int HighestServedVersion = 6;

struct DeviceVerdict
{
    bool accepted = false;
    QString line1; // the rejection message, empty when accepted
    QString line2;
};

// Only type code 8 with software version 3 to 6 is served; the version is judged only for type 8.
DeviceVerdict CheckDevice(const ConfigImage &image);

} // namespace ktv31
