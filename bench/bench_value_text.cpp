// How long VariantToText takes per kind of value: the export writes one text per
// field of every record, so this is part of every export run's cost.
#include <ctime>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/com/Variant.h"

namespace {

void Measure(const char* name, const std::vector<VARIANT>& values) {
  std::string out;
  size_t bytes = 0;
  // Process CPU time: steadier than the wall clock on a machine shared with builds.
  std::clock_t start = std::clock();
  for (const VARIANT& v : values) {
    VariantToText(v, &out);
    bytes += out.size();
  }
  double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  std::printf("%-10s %8.1f ns/value CPU  (%zu values, %zu bytes of text)\n", name, seconds * 1e9 / values.size(),
              values.size(), bytes);
}

std::vector<VARIANT> Make(size_t n, const std::function<VARIANT(std::mt19937_64&)>& make) {
  std::mt19937_64 rng(1);
  std::vector<VARIANT> values;
  values.reserve(n);
  for (size_t i = 0; i < n; ++i) values.push_back(make(rng));
  return values;
}

}  // namespace

int main() {
  const size_t n = 1000000;
  std::uniform_real_distribution<double> real(-1e6, 1e6);
  Measure("I4", Make(n, [](std::mt19937_64& r) { return VARIANT::I4(static_cast<int32_t>(r())); }));
  Measure("R8", Make(n, [&](std::mt19937_64& r) { return VARIANT::R8(real(r)); }));
  Measure("R8 money", Make(n, [](std::mt19937_64& r) { return VARIANT::R8(static_cast<double>(r() % 100000) / 100); }));
  Measure("R4", Make(n, [&](std::mt19937_64& r) {
    VARIANT v; v.vt = VT_R4; v.fltVal = static_cast<float>(real(r)); return v;
  }));
  Measure("CY", Make(n, [](std::mt19937_64& r) {
    VARIANT v; v.vt = VT_CY; v.cyVal = static_cast<int64_t>(r() % 100000000); return v;
  }));
  Measure("DATE", Make(n, [](std::mt19937_64& r) {
    VARIANT v; v.vt = VT_DATE; v.date = static_cast<double>(r() % 80000) + static_cast<double>(r() % 86400) / 86400;
    return v;
  }));
  return 0;
}
