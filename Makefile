# Pelorin: `make run` builds and starts the program, `make test` builds and
# runs every test. Both first install the Debian packages that are missing.

PACKAGES := cmake make g++ pkg-config \
	qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools \
	libqt6svg6 qt6-qpa-plugins qcoro-qt6-dev libicu-dev libxcb1-dev libgtest-dev libgmock-dev \
	dbus-daemon adwaita-icon-theme clang-format xvfb at-spi2-core locales \
	qt6-wayland
# Only the tests need a headless Wayland compositor.
test: PACKAGES += sway

BUILD      := build
TEST_BUILD := build/sanitize
PLAIN_BUILD := build/plain
JOBS       := $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test test-sanitize test-plain build gallery deps format-check format bench clean

run: deps build
	./$(BUILD)/pelorin

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELORIN_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# Every kit piece and every screen, light and dark, into build/gallery/.
gallery: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELORIN_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS) --target gallery

# The tests build twice, side by side on $(JOBS) jobs in all: with the
# sanitizers, where every test runs in a process of its own and each test
# program once more whole; and without them, where each test program runs
# whole. Each tree's test run prints in one piece, and a failure in one tree
# does not stop the other.
test: deps format-check
	$(MAKE) --no-print-directory -j $(JOBS) --keep-going --output-sync=target test-sanitize test-plain

# Under `make test` the two trees share its jobs; made alone, a tree takes
# $(JOBS) of its own.
TREE_JOBS = $(if $(findstring jobserver,$(MAKEFLAGS)),,-j $(JOBS))

# AddressSanitizer and UndefinedBehaviorSanitizer, with line tables for their
# stack traces.
test-sanitize:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DPELORIN_SANITIZE=ON -DPELORIN_TESTS=ON
	+cmake --build $(TEST_BUILD) $(TREE_JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# No sanitizer, no optimisation, no debug information: only to run the tests.
test-plain:
	cmake -S . -B $(PLAIN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g0" -DPELORIN_TESTS=ON
	+cmake --build $(PLAIN_BUILD) $(TREE_JOBS)
	cd $(PLAIN_BUILD) && ctest -L whole --output-on-failure -j $(JOBS) --timeout 300

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		if [ "$$(id -u)" = 0 ]; then \
			apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
		elif command -v sudo >/dev/null 2>&1; then \
			sudo apt-get update -q && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
		else \
			echo "Please run as root: apt-get install $$missing"; exit 1; \
		fi; \
	fi

SOURCES = $(shell git ls-files -co --exclude-standard '*.h' '*.cpp' 2>/dev/null)

format-check:
	@clang-format --dry-run --Werror $(SOURCES)

format:
	clang-format -i $(SOURCES)

bench: deps
	bench/run

clean:
	rm -rf $(BUILD)
