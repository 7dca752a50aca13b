# make run   builds and starts the program (ARGS are passed on: make run ARGS=plan.tpx)
# make test  builds and runs every test
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DQUORVEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

.PHONY: all deps build run test bench screenshot clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it in a desktop session, or under a virtual one: xvfb-run make run"; \
	    exit 1; \
	fi
	ASAN_OPTIONS=detect_leaks=0 ./$(BUILD)/quorvel $(ARGS)

test: build
	scripts/run-tests.sh $(BUILD)

# Figures for speed and memory, built without sanitizers.
bench: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQUORVEL_SANITIZE=OFF
	cmake --build build-release -j$(JOBS)
	scripts/run-benchmarks.sh build-release

screenshot: build
	scripts/screenshot.sh

clean:
	rm -rf $(BUILD) build-release build-win32
