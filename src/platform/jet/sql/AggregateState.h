// The state of an aggregate function, in the memory SQLite keeps for each group.
// sqlite3_aggregate_context returns memory aligned to 8 bytes only; a state that
// needs more (an __int128 needs 16) is placed at the first address of its own
// alignment inside a block made that much larger. The block is zeroed by SQLite
// and its address fixed for the group, so every call finds the state in one place.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <new>
#include <type_traits>

template <typename State>
State* AggregateState(sqlite3_context* ctx, bool allocate) {
  static_assert(std::is_trivially_copyable_v<State>, "SQLite zeroes the state; it is never constructed");
  constexpr int kBytes = static_cast<int>(sizeof(State) + alignof(State));
  void* block = sqlite3_aggregate_context(ctx, allocate ? kBytes : 0);
  if (!block) return nullptr;
  const auto at = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t aligned = (at + alignof(State) - 1) & ~(std::uintptr_t{alignof(State)} - 1);
  return std::launder(reinterpret_cast<State*>(aligned));
}
