#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Texts of the fault word of the CW, DC/DC and power records: one per bit,
// bits 0 to 9; bits 8 and 9 are the warnings computed for DC/DC boards.
namespace fault_texts {

// The ten texts of the CW and DC/DC boards.
QStringList cw_dcdc_texts();
// The ten texts of the power driver (type 18).
QStringList power_texts();

// The texts of the bits set in word, in rising bit order, each followed by a
// line feed; bits without a text add nothing.
QString compose(const QStringList &texts, uint16_t word);

} // namespace fault_texts
