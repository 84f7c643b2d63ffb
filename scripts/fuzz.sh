#!/usr/bin/env bash
# scripts/fuzz.sh <build folder> <seconds>: builds the fuzz target with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs it for that
# many seconds, one job, on a corpus kept in the build folder and seeded with files
# the project's writer makes. Exits non-zero on a finding; the input that caused it
# is kept in <build folder>/fuzz/findings/ (rerun it: <build>/tests/kelvane_fuzz <file>).
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" clang llvm
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVANE_FUZZ=ON -DKELVANE_WERROR=OFF
fi
cmake --build "$build" -j "$(nproc)" --target kelvane_fuzz kelvane_make_fixture kelvane_damage \
  sql_engine_test sql_files_test sql_values_test

# The SQL engine's tests under the same sanitizers first: exact money keeps
# __int128 totals in SQLite's aggregate memory, and nwind's saved queries (Sum of
# Currency) are among them, so a misaligned state is a finding before any fuzzing.
for t in sql_engine_test sql_files_test sql_values_test; do
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$build/tests/$t" --gtest_brief=1
done

# Seeds: Jet 4 and ACE files of every column type, scrambled pages, edited rows
# (deleted and moved), saved queries, and the hostile files (looping and shared
# long-value chains, damaged names, changed version bytes, tables read through
# another's definition, usage maps that lose or misname a page). Small real files join them when the shared
# test data is beside the repository; they are read there, never copied.
fuzz="$build/fuzz"
seeds="$fuzz/seeds"
mkdir -p "$seeds" "$fuzz/corpus" "$fuzz/findings"
make_fixture() { "$build/kelvane_make_fixture" "$seeds/$1" "${@:2}" 2>/dev/null; }
make_fixture alltypes.mdb alltypes
make_fixture alltypes-ace2007.accdb alltypes --version 2
make_fixture accdb.accdb accdb
make_fixture demo-scrambled.mdb demo --scramble 0x5a17c3e1
make_fixture edited.mdb edited
make_fixture big3.mdb big 3
make_fixture big3-ace2019.accdb big 3 --version 6
# Damaged copies, one of each family the damager knows: the fuzzer reads every
# input plainly and in salvage mode, which goes past damage.
for family in zeroed swapped offsets map lval catalog; do
  "$build/kelvane_damage" "$seeds/alltypes.mdb" "$seeds/damaged-$family.mdb" "$family" >/dev/null 2>&1 || true
  "$build/kelvane_damage" "$seeds/edited.mdb" "$seeds/damaged-edited-$family.mdb" "$family" >/dev/null 2>&1 || true
done
mkdir -p "$seeds/hostile"
"$build/kelvane_make_fixture" "$seeds/hostile" hostile 2>/dev/null
testdata="$root/../shared/testdata"
for f in "$testdata"/*.mdb "$testdata"/*.accdb "$testdata"/damaged/*; do
  [ -f "$f" ] && [ "$(stat -c %s "$f")" -le 131072 ] && ln -sf "$(realpath "$f")" "$seeds/shared-$(basename "$f")"
done
# Every protected file, whatever its size: its header page and encryption header
# come first, and the target tries the passwords of PASSWORDS.md.
for f in "$testdata"/protected/*.mdb "$testdata"/protected/*.accdb "$testdata"/V2010_with-password.accdb; do
  [ -f "$f" ] && ln -sf "$(realpath "$f")" "$seeds/protected-$(basename "$f")"
done

# Pages are 2 or 4 KiB and the seeds a few dozen pages: inputs up to 160 KB.
cd "$fuzz"
exec "../tests/kelvane_fuzz" -max_total_time="$seconds" -max_len=163840 -timeout=10 -rss_limit_mb=2048 \
  -dict="$root/tests/fuzz/jet.dict" -artifact_prefix=findings/ -print_final_stats=1 corpus seeds
