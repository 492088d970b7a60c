# Front door: make run | make test | make bench | make deps
PRESET ?= default
BUILD  := build/$(PRESET)
JOBS   ?= $(shell nproc)

.PHONY: all deps configure build run test bench check-asan fuzz valgrind docs clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/ui/veldo ]; then \
	  exec $(BUILD)/ui/veldo; \
	elif [ -x $(BUILD)/cli/veldo-cli ]; then \
	  echo "The window is not built yet; the command-line front end is: $(BUILD)/cli/veldo-cli --help"; \
	else \
	  echo "Built the libraries under $(BUILD); run 'make test' to exercise them (no program to start yet)."; \
	fi

test: build
	@ctest --preset $(PRESET)

bench: PRESET = default
bench: build
	@cmake --build $(BUILD) --target bench
	@if [ -d $(BUILD)/python/veldo ]; then \
	  PYTHONPATH=$(BUILD)/python /usr/bin/python3 bench/python/bench_study.py; \
	fi

check-asan:
	@$(MAKE) --no-print-directory test PRESET=asan

# libFuzzer targets (clang), FUZZ_SECONDS each; not part of CI.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps --fuzz
	@scripts/fuzz $(FUZZ_SECONDS)

# veldo-cli under valgrind, one short sweep per case.
valgrind: build
	@scripts/valgrind-cli $(BUILD)/cli/veldo-cli

# The validation page: docs/validation.md's tables and the figures in docs/validation/. First the
# finite-element solutions (FreeFEM, installed on first use; some 10 minutes on two cores) into
# docs/validation/data/fe_axisym.csv. Not part of CI: make test holds the same comparisons against
# the stored numbers without running the solver.
docs: build
	@scripts/install-deps --docs
	@/usr/bin/python3 docs/validation/fe_solve.py
	@PYTHONPATH=$(BUILD)/python /usr/bin/python3 docs/validation/make_docs.py
	@PYTHONPATH=$(BUILD)/python /usr/bin/python3 docs/layered/make_figures.py

clean:
	rm -rf build
