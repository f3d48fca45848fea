# The two commands of the README:  make run  and  make test.
BUILD ?= build
ROOT := $(CURDIR)
JOBS ?= 2

.PHONY: all deps configure build test run screenshot clean format

all: build

deps:
	@scripts/deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-w64.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(ROOT)/scripts/wine-run.sh -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The Windows tests under Wine, then the host tests and a fuzz smoke run; both
# halves always run, and the command fails if either does.
test: build
	@scripts/test-all.sh $(BUILD)

run: build
	@scripts/run.sh $(BUILD)

format:
	clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'tools/*.cpp' 'host/*.cpp' 'host/*.h')

clean:
	rm -rf $(BUILD)

# Speed figures next to their targets (HTTP client, start-up against two floor
# programs, working set, the 5,000-entry list, the tray animation, the check
# of 200 and 500 listed proxies, the round trips of one fetch). The whole build
# first: it takes up files added since the last configure, such as new tools.
.PHONY: bench
bench: build
	cmake --build $(BUILD) --target EmptyWindow SameControls StartClock -j$(JOBS)
	@scripts/bench.sh $(BUILD)

# Get Proxy against a sample list provider on 127.0.0.1, with its own
# settings in demo/: no internet needed, the user's settings untouched.
.PHONY: demo
demo: configure
	@scripts/demo.sh $(BUILD)

# Each parser's fuzz target for FUZZ_SECONDS seconds (clang, libFuzzer).
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# PNGs of every window for the README, at 100 % and 150 % scaling.
.PHONY: screenshots
screenshots: configure
	@scripts/screenshots.sh $(BUILD)
