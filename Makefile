# Quick start on a fresh Debian 12 machine:
#   make run    set up, build and open the simulator
#   make test   set up, build and run every test (plain and sanitizer builds, window tests under Xvfb)
JOBS ?= 2
BUILD := build
ASAN := build-asan
# The robot of the motion screenshot and of the demo animation.
ROBOT ?= F21

.PHONY: setup build run test test-core test-asan bench screenshot demo clean

setup:
	@bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	bash scripts/test.sh $(BUILD) $(ASAN) $(JOBS)

bench: build
	$(BUILD)/slitpass_bench

screenshot: build
	bash scripts/screenshot.sh $(BUILD) $(ROBOT)

demo: build
	bash scripts/demo.sh $(BUILD) $(ROBOT)
	DEMO_MOTION=H bash scripts/demo.sh $(BUILD) $(ROBOT)

clean:
	rm -rf $(BUILD) $(ASAN)
