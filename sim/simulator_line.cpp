#include "sim/simulator_line.h"

bool SameFraming(const LineSettings& a, const LineSettings& b) {
  return a.baud == b.baud && a.parityOn == b.parityOn && (!a.parityOn || a.even == b.even);
}
