// Layout of the glyph sheet: the font draws code c from the 16x16-texel cell in column
// c mod 16 and row c div 16 (rows from the top), one 16-unit quad per glyph, 10 units apart.
#pragma once

namespace art {

constexpr int kGlyphCell = 16;
constexpr int kGlyphColumns = 16;
// The face is cut a little wider than tall: about 9 texels of ink per glyph on a 10-texel
// advance, with caps 10 texels high and descenders ending above the cell's last row, so
// linear filtering never pulls ink from a neighbouring cell.
constexpr int kGlyphPixelWidth = 16;
constexpr int kGlyphPixelHeight = 14;
constexpr int kGlyphBaseline = 11;   // texel rows above the baseline inside a cell
constexpr int kGlyphLeft = 1;        // pen origin inside a cell, so the ink sits in columns 1..9

}  // namespace art
