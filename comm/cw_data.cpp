#include "comm/cw_data.h"

#include "comm/fault_texts.h"

cw_data::cw_data()
    : fault_texts(fault_texts::cw_dcdc_texts())
{
}

QString cw_data::fault_text(uint16_t word) const
{
    return fault_texts::compose(fault_texts, word);
}
