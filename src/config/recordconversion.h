// Conversions between the configuration image and the configuration record, and the new record.
#pragma once

#include "config/configimage.h"

#include <functional>

namespace ktv31 {

// Table-3 defaults of a new configuration.
namespace NewRecordDefaults {
constexpr quint8 UpperSpeedCode = 2; // 1200 bit/s
constexpr quint8 AnswerPreambles = 3;
constexpr quint8 RequestPreambles = 5;
constexpr quint8 LowPriority = 1;
} // namespace NewRecordDefaults

// Fills the identification block, table 3, the modem string and the link entries of `record`
// from `image`; every other record byte stays as the caller prepared it.
void ImageToRecord(const ConfigImage &image, ConfigRecord &record);
// Takes table 3 (always 8 bytes), the modem string and the links of `record` into `image`; the
// identification block and table 1 of the image are not touched.
void RecordToImage(const ConfigRecord &record, ConfigImage &image);

// Brings into `image` what `edited` changed against `asRead`, the record `image` was turned into:
// each table-3 byte, the modem string and each calculator's link that differ. Everything else
// keeps its bytes exactly, even where the record could not hold them (a link byte naming no
// port, say).
void ApplyRecordEdits(const ConfigRecord &asRead, const ConfigRecord &edited, ConfigImage &image);
// Whether the link entry of `address` differs between the two records.
bool LinkEntryChanged(const ConfigRecord &a, const ConfigRecord &b, int address);

quint8 LinkByteFromEntry(quint8 connected, quint8 port, quint8 speedCode);

// Whether the controller offers `speedCode` on its link to the upper-level device (image table 1):
// writing a speed it does not offer would lose the link.
bool UpperSpeedOffered(const ConfigImage &image, quint8 speedCode);

// Answers the generation of a new configuration: 3 (software versions 3 and 4), 5 (5 and 6),
// or 0 when the operator cancels.
using GenerationChooser = std::function<int()>;

// Replaces `record` with a new configuration of `generation`. With generation 0 it asks
// `chooseGeneration` first; false (record untouched) when there is no answer.
bool NewConfigRecord(ConfigRecord &record, int generation,
                     const GenerationChooser &chooseGeneration = {});

} // namespace ktv31
