# The two commands a newcomer needs: `make run` and `make test`.
SHELL := /bin/bash
# The build's own makes run below this one: no "Entering directory" lines.
MAKEFLAGS += --no-print-directory
JOBS  ?= $(shell nproc)
BUILD ?= build
SUDO  := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
XVFB  := xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96"

# The Debian packages of deps.txt's groups: $(call packages,run test).
packages = $(shell awk -v want=" $(1) " '/^\[/ { group = substr($$0, 2, length($$0) - 2); next } \
  /^\#/ || NF == 0 { next } index(want, " " group " ") { print $$1 }' deps.txt)

# The program opens a window: without a display it would only abort, so the
# targets that start it stop here with one line that says why.
ifneq ($(filter run demo demo-mini,$(MAKECMDGOALS)),)
  no_display := $(shell tools/demo/no_display.sh $(firstword $(filter run demo demo-mini,$(MAKECMDGOALS))))
  ifneq ($(no_display),)
    $(error $(no_display))
  endif
endif

.PHONY: all deps deps-run deps-test deps-fuzz configure configure-tests build run test sanitize bench fuzz \
  clean screenshots docs-images demo demo-mini demo-check images

all: build

define install_missing
	@missing=""; for p in $(1); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

# What the program needs; what the tests and picture tools add; what the
# fuzz targets add. `make deps` installs all three.
deps-run:
	$(call install_missing,$(call packages,run))
deps-test:
	$(call install_missing,$(call packages,run test))
deps-fuzz:
	$(call install_missing,$(call packages,run fuzz))
deps:
	$(call install_missing,$(call packages,run test fuzz))

# A folder configured here builds the program and the bench; the tests and
# benchmarks join it the first time a target that runs them is made.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF

configure: deps-run $(BUILD)/CMakeCache.txt

configure-tests: deps-test $(BUILD)/CMakeCache.txt
	@grep -q '^BUILD_TESTING:BOOL=ON$$' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DBUILD_TESTING=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone, started in the checkout (its settings.ini stays here,
# ignored by git, and survives `make clean`).
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target lumatrex
	./$(BUILD)/lumatrex

# The program connected to the simulated bench: the ten named boards of
# sim/demo_boards (demo), or its one board in mini-USB mode (demo-mini).
demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target lumatrex lumatrex_sim
	tools/demo/demo.sh $(BUILD)

demo-mini: configure
	cmake --build $(BUILD) -j $(JOBS) --target lumatrex lumatrex_sim
	tools/demo/demo.sh $(BUILD) mini

# `make demo` and `make demo-mini` under a virtual display, each ended by
# SIGTERM: both must end with status 0, the bench ended, no folder left.
demo-check: deps-test configure
	cmake --build $(BUILD) -j $(JOBS) --target lumatrex lumatrex_sim
	tools/demo/check_demo.sh $(BUILD)

test: configure-tests
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure

sanitize: deps-test
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLUMATREX_SANITIZE=ON -DBUILD_TESTING=ON
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure

bench: configure-tests
	cmake --build $(BUILD) -j $(JOBS)
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

# PNG pictures of the main window's pages, of one channel page per driver
# family drawn from plausible readings and of the parameters window, under a
# virtual X display.
screenshots: deps-test configure
	cmake --build $(BUILD) -j $(JOBS) --target render_form render_pages render_params
	mkdir -p $(BUILD)/screenshots
	$(XVFB) ./$(BUILD)/tools/render_form/render_form $(BUILD)/screenshots
	$(XVFB) ./$(BUILD)/tools/render_pages/render_pages $(BUILD)/screenshots
	$(XVFB) ./$(BUILD)/tools/render_params/render_params $(BUILD)/screenshots

# The README's pictures (docs/images, committed): the program running against
# the demo's ten boards on the simulated bench, under a virtual X display.
docs-images: deps-test configure
	cmake --build $(BUILD) -j $(JOBS) --target render_docs
	mkdir -p docs/images
	$(XVFB) ./$(BUILD)/tools/render_docs/render_docs docs/images

# Short bounded run of every fuzz target (clang's libFuzzer, with sanitizers).
FUZZ_SECONDS ?= 60
fuzz: deps-fuzz
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DLUMATREX_FUZZ=ON -DBUILD_TESTING=OFF \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	@for f in build-fuzz/tests/fuzz/fuzz_*; do [ -f "$$f" ] && [ -x "$$f" ] || continue; echo "== $$f"; \
	  mkdir -p build-fuzz/corpus/$$(basename $$f); \
	  seeds=tests/fuzz/seeds/$$(basename $$f); [ -d "$$seeds" ] || seeds=; \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus/$$(basename $$f) $$seeds || exit 1; done

# Redraw the committed pictures (images/images/*.png, images/icon.ico).
images: configure
	cmake --build $(BUILD) -j $(JOBS) --target draw_images
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/tools/draw_images/draw_images $(CURDIR)/images

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
