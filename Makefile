# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

.PHONY: all deps configure build run test clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Without a display the player can't open its window: the demo track plays in the terminal instead.
DEMO_TRACK = app/resources/demo/sonvale-demo.ogg

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$${QT_QPA_PLATFORM+set}" ]; then \
		echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): playing the demo track with sonvale-cli instead."; \
		program=$(BUILD_DIR)/bin/sonvale-cli; set -- play $(DEMO_TRACK); \
	else \
		program=$(BUILD_DIR)/bin/sonvale; set --; \
	fi; \
	if [ ! -x "$$program" ]; then \
		echo "make run: $$program has not been built" >&2; exit 1; \
	fi; \
	exec "$$program" "$$@"

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
