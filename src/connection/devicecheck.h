// The test that decides whether the program serves the connected controller.
#pragma once

#include <QString>

namespace ktv31 {

class ConfigImage;
struct TransferContext;

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

enum class IdentifyOutcome
{
    NotRead,  // the transfer was given up or cancelled; it has told the operator itself
    Rejected, // the operator has been shown why (kind 6)
    Accepted,
};

// Reads the identification into the image and judges the device, as every new link does.
IdentifyOutcome IdentifyController(TransferContext &context);

} // namespace ktv31
