# Kelvane: the targets the README names.
#   make        build the programs into build/ (build/kelvane, build/kelvane-export)
#   make run    install what is missing, build, start the program with the demo settings
#   make test   install what is missing, build the programs and the tests, run every
#               test headless
#   make bench  build and run the benchmarks
#   make install / make uninstall   into $(DESTDIR)$(PREFIX) (default /usr/local)
#   make deb    build the Debian package build/kelvane_<version>_<arch>.deb
#   make fuzz   fuzz the reader, SQL and export for SECONDS (60) with libFuzzer (clang)
#   make pot    refresh po/kelvane.pot from the sources and merge it into po/en.po
#   make clean  remove the build folder and the cross-check's npm packages
# A plain build treats warnings as warnings, so that a newer compiler than ours does
# not stop a user's build; `make test` (and CI, which runs it) turns -Werror on, and
# it stays on in that build folder.
BUILD  ?= build
JOBS   ?= $(shell nproc)
PREFIX ?= /usr/local
DESTDIR ?=
FUZZ_BUILD ?= build-fuzz
SECONDS    ?= 60

.PHONY: all build deps run test bench fuzz pot screenshot install uninstall deb clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=OFF

# The programs, their icons and manual pages; no test or benchmark.
build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The demo database is written by the project's own Jet writer, a test tool.
run: deps build
	cmake --build $(BUILD) -j $(JOBS) --target kelvane_make_fixture
	@./scripts/run.sh $(BUILD)

test: deps
	@if [ ! -f $(BUILD)/CMakeCache.txt ]; then \
	  cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_WERROR=ON; \
	elif ! grep -q '^KELVANE_WERROR:BOOL=ON$$' $(BUILD)/CMakeCache.txt; then \
	  cmake -S . -B $(BUILD) -DKELVANE_WERROR=ON; \
	fi
	cmake --build $(BUILD) -j $(JOBS) --target all kelvane_tests
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j $(JOBS)

bench: deps build
	cmake --build $(BUILD) -j $(JOBS) --target kelvane_benchmarks
	@./scripts/bench.sh $(BUILD)

fuzz:
	@./scripts/fuzz.sh $(FUZZ_BUILD) $(SECONDS)

pot: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target pot

screenshot: deps build
	@./scripts/screenshot.sh $(BUILD) docs/screenshot.png

# `make && sudo make install`: the build is up to date then, so root only copies.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

uninstall:
	cmake -DBUILD="$(abspath $(BUILD))" -DPREFIX="$(PREFIX)" -DDESTDIR="$(DESTDIR)" \
	      -P packaging/Uninstall.cmake

# Reproducible: cpack dates every file with the last commit (packaging/SourceDateEpoch.cmake).
deb: deps build
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/kelvane_*.deb

clean:
	rm -rf $(BUILD) tests/crosscheck/node_modules
