# Thin front of the CMake presets. `make test` is the project's whole test run.
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"
SOURCES = $(shell git ls-files --cached --others --exclude-standard '*.cpp' '*.h')

.PHONY: test bootstrap native fuzz fuzz-short windows lint bench soak format format-check voices art contact-sheet dist run

test: bootstrap
	$(MAKE) native
	$(MAKE) fuzz-short
	$(MAKE) windows
	$(MAKE) lint
	$(MAKE) format-check

bootstrap:
	tools/bootstrap

# Portable code and its unit tests, built with the host compiler under the sanitizers.
native:
	cmake --preset native
	cmake --build --preset native
	ctest --preset native

# The parsers of outside data under libFuzzer (clang, AddressSanitizer, UBSan), each for
# FUZZ_SECONDS (default 60), with a summary line per target; tools/fuzz runs chosen ones.
FUZZ_SECONDS ?= 60
fuzz: bootstrap
	cmake --preset fuzz
	cmake --build --preset fuzz
	tools/fuzz $(FUZZ_SECONDS)

# Every fuzz target for a few seconds from its committed seeds: part of the test run.
fuzz-short:
	cmake --preset fuzz
	cmake --build --preset fuzz
	ctest --preset fuzz

# The Windows build, with its unit tests, Wine tests and whole-program tests under Wine on
# a virtual display.
windows:
	cmake --preset windows
	cmake --build --preset windows
	$(XVFB) ctest --preset windows

# The layers' include order, and clang-tidy over the program's own code (.clang-tidy), from
# the compile databases of the native and the windows builds.
lint:
	tools/lint

# Benchmarks: portable code natively and optimised, then Win32 code under Wine.
bench: bootstrap
	cmake --preset bench
	cmake --build --preset bench --target bench
	cmake --preset windows
	cmake --build --preset windows
	$(XVFB) ctest --preset windows-bench

# A simulated day with the program under a sped-up clock (about 13 minutes): the day's
# totals and flat memory, GDI objects and handles. YMT_SOAK_SECONDS sets its real length.
soak: bootstrap
	cmake --preset windows
	cmake --build --preset windows
	$(XVFB) ctest --preset windows-soak

# What users download, from the Windows build: build/dist/yomitoki-<version>-setup.exe (the
# setup program the build packs) and build/dist/yomitoki-<version>.zip (the portable way).
dist: bootstrap
	cmake --preset windows
	cmake --build --preset windows
	tools/dist build/windows build/dist

format:
	clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES) && echo "format-check: clean"

# Synthesizes the voice clips again (they are committed, so a build needs no synthesizer).
voices:
	assets/voice/generate

# Draws the character's pictures and icons again from the generator (outputs are committed).
art:
	assets/art/generate

# One PNG per edition with every pose beside the balloon at 1:1, and the icons.
contact-sheet:
	assets/art/contact_sheet.sh build/contact-sheet

# Builds everything and starts the program under Wine (on $DISPLAY, or on a virtual display
# with a screenshot of the greeting).
run: bootstrap
	cmake --preset windows
	cmake --build --preset windows
	tools/run
