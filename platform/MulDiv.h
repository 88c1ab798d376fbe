#pragma once

namespace orvel {

// a × b / c rounded to the nearest integer, halves away from zero, with a
// 64-bit product; -1 when c is 0 or the result does not fit an int, as the
// system's multiply-divide answers.
int MulDiv(int a, int b, int c);

} // namespace orvel
