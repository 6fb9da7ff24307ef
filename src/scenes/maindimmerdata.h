#pragma once

#include <QByteArray>

class MainDimmerView;

// The main dimmer board's data for one key, 8 bytes: four (mask, levels)
// pairs, one per column 1..4, laid out like a light board's data but with a
// 2-bit field per dimmer group:
//   byte 2i-2  mask:   bits 0-1 group 1, bits 2-3 group 2, bits 4-7 zero;
//                      a writer puts 1 into the field of an enabled group
//                      (group 1 -> 0x01, group 2 -> 0x04)
//   byte 2i-1  levels: bits 0-1 group 1 level, bits 2-3 group 2 level
// A reader takes a group as enabled when its mask field is not zero.

// The mask a writer sends for the two enable boxes.
quint8 MainDimmerMask(const MainDimmerView &view);
// Both groups' levels of one column 1..4: group 1 + 4 * group 2.
quint8 MainDimmerColumnLevels(const MainDimmerView &view, int column);
// The 8 bytes of the controls as they stand.
QByteArray EncodeMainDimmerData(const MainDimmerView &view);
// Puts board data onto the controls, column by column and within a column
// group 1 then group 2: the enable box from the column's mask, then the bar
// from its levels; so the mask of the last pair decides the boxes. Each change
// runs the control's own reaction. Data shorter than 8 bytes apply as far as
// they go.
void DecodeMainDimmerData(MainDimmerView &view, const QByteArray &data);
