# The two entry points of the README: `make run` and `make test`.
# Both install what is missing from Debian's packages first (as root, or with sudo).

PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev \
            libbenchmark-dev qt6-base-dev libcli11-dev nlohmann-json3-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

export ORVENA_WERROR := ON

.PHONY: run test deps build-% test-% fuzz demo clean

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

run: build-default
	@if [ -x build/default/app/gui/orvena ]; then \
	  cd build/default/app/gui && ./orvena --demo; \
	else \
	  echo "The window is not built yet; built so far:"; ls build/default | grep -E '^(orvena|test_)' || true; \
	fi

clean:
	rm -rf build
