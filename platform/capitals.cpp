#include "platform/capitals.h"

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

struct Run {
  uint16_t first, last;
  uint8_t step;
  uint16_t add;
};
// Ordered and apart: a unit lies within one run at most.
constexpr Run kRuns[] = {
#include "platform/capitals_table.inc"
};

}  // namespace

uint16_t CapitalOf(uint16_t unit) {
  const Run* run = std::lower_bound(std::begin(kRuns), std::end(kRuns), unit,
                                    [](const Run& r, uint16_t u) { return r.last < u; });
  if (run == std::end(kRuns) || unit < run->first || (unit - run->first) % run->step != 0) {
    return unit;
  }
  return static_cast<uint16_t>(unit + run->add);
}

}  // namespace platform
