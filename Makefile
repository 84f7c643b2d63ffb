# Kelvane: the targets the README names.
#   make        build into build/ (the program is build/kelvane)
#   make run    install what is missing, build, start the program with the demo settings
#   make test   install what is missing, build, run every test headless
#   make bench  build and run the benchmarks
#   make install / make uninstall   into $(DESTDIR)$(PREFIX) (default /usr/local)
#   make deb    build the Debian package build/kelvane_<version>_<arch>.deb
#   make fuzz   fuzz the reader, SQL and export for SECONDS (60) with libFuzzer (clang)
#   make pot    refresh po/kelvane.pot from the sources and merge it into po/en.po
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
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: deps build
	@./scripts/run.sh $(BUILD)

test: deps build
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j $(JOBS)

bench: deps build
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

deb: deps build
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/kelvane_*.deb

clean:
	rm -rf $(BUILD)
