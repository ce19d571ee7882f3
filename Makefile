# Two entry points: `make run` and `make test` (see README.md).
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

PACKAGES := qt6-base-dev cmake ninja-build g++ libgtest-dev pkg-config \
            fonts-wqy-microhei fonts-liberation2 adwaita-icon-theme hicolor-icon-theme \
            xvfb xauth xdotool dbus dbus-x11

.PHONY: deps build run test

deps:
	@tools/install-deps.sh $(PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/bin/quorvex; \
	else \
	  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): printing one snapshot with quorvex-list instead."; \
	  $(BUILD)/bin/quorvex-list; \
	fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure
