# The two entry points of the README: `make run` and `make test`.
# Both install what is missing from Debian's packages first (as root, or with sudo).

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev qt6-translations-l10n libcli11-dev nlohmann-json3-dev \
            dpkg-dev desktop-file-utils clang-format lintian qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

export ORVENA_WERROR := ON

.PHONY: run test deps build-% test-% fuzz package demo format clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build-%: deps
	cmake --preset $* >/dev/null
	cmake --build --preset $* -j $(JOBS)

test-%: build-%
	ctest --preset $* -j $(JOBS)

fuzz: build-fuzz
	tools/fuzz-all $(FUZZ_SECONDS) $(JOBS)

test: deps
	tools/test-all $(JOBS) $(FUZZ_SECONDS)
	@echo "All test suites passed."

# The build's window on the demo device, in the build folder, with a UTF-8 locale.
# Builds only the window and the simulator (and what they link), not the tests.
run: deps
	cmake --preset default >/dev/null
	cmake --build --preset default -j $(JOBS) --target orvena orvena-devsim
	ORVENA_HOME=$(CURDIR)/build/default/window ORVENA_PROGRAM=$(CURDIR)/build/default/window/orvena \
	  packaging/orvena-start --demo

# The Debian package of the release build, checked as an installed system would see it.
package: build-default
	tools/check-package

# Applies the code style to every tracked C++ file (`make test` fails on any it would change).
format:
	tools/format

clean:
	rm -rf build
