# make run   builds the optimised program (Release, no sanitizers) in build-release/
#            and starts it (ARGS are passed on: make run ARGS=plan.tpx)
# make test  builds with sanitizers (Debug, ASan and UBSan) and warnings as errors in build/
#            and runs every test
BUILD ?= build
RELEASE_BUILD ?= build-release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DQUORVEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WERROR=ON
RELEASE_FLAGS = -DCMAKE_BUILD_TYPE=Release -DQUORVEL_SANITIZE=OFF

.PHONY: all deps build run test bench screenshot windows package clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

$(RELEASE_BUILD)/CMakeCache.txt:
	cmake -S . -B $(RELEASE_BUILD) $(RELEASE_FLAGS)

run: deps $(RELEASE_BUILD)/CMakeCache.txt
	cmake --build $(RELEASE_BUILD) -j$(JOBS) --target quorvel
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it in a desktop session, or under a virtual one: xvfb-run make run"; \
	    exit 1; \
	fi
	./$(RELEASE_BUILD)/quorvel $(ARGS)

test: build
	scripts/run-tests.sh $(BUILD)

# Figures for speed and memory, built without sanitizers.
bench: deps
	cmake -S . -B $(RELEASE_BUILD) $(RELEASE_FLAGS) -DQUORVEL_TESTS=ON
	cmake --build $(RELEASE_BUILD) -j$(JOBS)
	scripts/run-benchmarks.sh $(RELEASE_BUILD)

screenshot: build
	scripts/screenshot.sh

# quorvel.exe cross-built with mingw-w64 against a Qt of our own, with its
# deploy folder and zip in build-windows/. The first run builds that Qt into
# ~/.cache/quorvel (about 20 minutes on 2 cores).
windows:
	@scripts/install-deps.sh --win32
	scripts/build-windows.sh

# The Debian package, built with dpkg-buildpackage from debian/ and checked
# with lintian: build-deb/quorvel_<version>_amd64.deb.
package: deps
	scripts/build-deb.sh --lintian

clean:
	rm -rf $(BUILD) $(RELEASE_BUILD) build-win32 build-windows build-deb
