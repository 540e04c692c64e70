// Gradient noise that repeats after a whole number of lattice cells, so pictures made from it
// tile without a seam. Hashing uses a fixed table: the same call gives the same value on
// every run.
#pragma once

namespace art {

// Gradient noise in about -0.7..0.7, repeating every `period` units in x and y.
double PeriodicNoise(double x, double y, int period, unsigned seed);

// Sums of octaves, each doubling the frequency and the period (so the sum keeps repeating
// after `period` units of the first octave), halving the amplitude.
double PeriodicFbm(double x, double y, int period, int octaves, unsigned seed);
// The same with the absolute value of every octave: creased, turbulent structure.
double PeriodicTurbulence(double x, double y, int period, int octaves, unsigned seed);

}  // namespace art
