// kelvane_damage <in> <out> <family> [n]: writes a copy of <in> with the n-th target
// (default 0) of the family damaged: zeroed, swapped, offsets, map, lval, catalog,
// definition.
// Prints the damaged page.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include "support/Damager.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <in> <out> zeroed|swapped|offsets|map|lval|catalog|definition [n]\n", argv[0]);
    return 2;
  }
  static const char* const kNames[] = {"zeroed", "swapped", "offsets", "map", "lval", "catalog", "definition"};
  static const damager::Family kAll[] = {damager::kFamilies[0], damager::kFamilies[1], damager::kFamilies[2],
                                         damager::kFamilies[3], damager::kFamilies[4], damager::kFamilies[5],
                                         damager::Family::TableDefinition};
  int family = -1;
  for (int i = 0; i < 7; ++i)
    if (std::strcmp(argv[3], kNames[i]) == 0) family = i;
  if (family < 0) return 2;
  try {
    damager::File file = damager::Load(argv[1]);
    const auto targets = damager::Targets(file, kAll[family]);
    const size_t n = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 0;
    if (n >= targets.size()) {
      std::fprintf(stderr, "only %zu targets\n", targets.size());
      return 1;
    }
    damager::Damage(file, kAll[family], targets[n]);
    damager::Save(file, argv[2]);
    std::printf("%u\n", targets[n]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
