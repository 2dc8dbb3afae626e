#pragma once
// Font sizes are converted between points and pixels the way the platform
// the programs come from does it: product over divisor, halves rounded away
// from zero. The canvas and the PDF writer must agree on every such size.
namespace plat {

// -1 for a zero divisor, as there.
int MulDiv(int number, int numerator, int denominator);

} // namespace plat
