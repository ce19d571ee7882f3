# Two entry points: `make run` and `make test` (see README.md).
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

PACKAGES := qt6-base-dev cmake ninja-build g++ libgtest-dev pkg-config \
            fonts-wqy-microhei fonts-liberation2 adwaita-icon-theme hicolor-icon-theme \
            xvfb xauth xdotool dbus dbus-x11 python3 \
            dpkg-dev file libcap2-bin lintian appstream desktop-file-utils man-db
# make install: where to, and DESTDIR as usual for a staged install.
PREFIX ?= /usr/local

# The Windows cross build, tested under Wine (make test-windows; make test runs it too).
BUILD_WIN ?= build-win
# The window's tests run on an Xvfb of their own and the smoke test drives it
# with xdotool; tools/wine-screenshot.sh takes its pictures with ImageMagick;
# the Windows package is a zip.
WIN_PACKAGES := g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 wine googletest \
                xvfb xdotool imagemagick zip
WIN_DIST := dist/OndriQuorvex-3.0-win64.zip

.PHONY: deps build run test install package deps-windows build-windows test-windows bench-windows windows-dist

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

# The Debian package, built with CPack into $(BUILD)/.
package: build
	cd $(BUILD) && cpack -G DEB

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

test: build
	ctest --test-dir $(BUILD) --output-on-failure
	$(MAKE) test-windows

deps-windows: deps
	@tools/install-deps.sh $(WIN_PACKAGES)

build-windows: deps-windows
	cmake -S . -B $(BUILD_WIN) -G Ninja $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake
	cmake --build $(BUILD_WIN)

test-windows: build-windows
	cmake/wine-ctest.sh $(BUILD_WIN) -j2

# The window's figures under Wine, on the session's own Xvfb.
bench-windows: build-windows
	cmake/wine-session.sh $(BUILD_WIN) cmake/wine-run.sh $(abspath $(BUILD_WIN))/wineprefix \
	  $(BUILD_WIN)/bin/quorvex-win-bench.exe

# quorvex.exe, quorvex-list.exe and the help page in one zip.
windows-dist: build-windows
	rm -rf $(BUILD_WIN)/dist
	mkdir -p $(BUILD_WIN)/dist/OndriQuorvex-3.0 dist
	x86_64-w64-mingw32-strip -o $(BUILD_WIN)/dist/OndriQuorvex-3.0/quorvex.exe $(BUILD_WIN)/bin/quorvex.exe
	x86_64-w64-mingw32-strip -o $(BUILD_WIN)/dist/OndriQuorvex-3.0/quorvex-list.exe $(BUILD_WIN)/bin/quorvex-list.exe
	cp resources/QuorvexHelp.html $(BUILD_WIN)/dist/OndriQuorvex-3.0/
	rm -f $(WIN_DIST)
	cd $(BUILD_WIN)/dist && zip -q -r $(abspath $(WIN_DIST)) OndriQuorvex-3.0
	@echo "$(WIN_DIST)"
