# The two commands a newcomer needs: `make run` and `make test`.
SHELL := /bin/bash
JOBS  ?= $(shell nproc)
BUILD ?= build
SUDO  := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PKGS  := $(shell grep -v '^\#' deps.txt)

.PHONY: all deps configure build run test sanitize bench fuzz clean screenshots docs-images demo demo-mini

all: build

deps:
	@missing=""; for p in $(PKGS); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/lumatrex

# The program connected to the simulated bench: ten boards of every driver
# family (demo), or one board in mini-USB mode (demo-mini).
demo: build
	tools/demo/demo.sh $(BUILD)

demo-mini: build
	tools/demo/demo.sh $(BUILD) mini

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure

sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLUMATREX_SANITIZE=ON
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && QT_QPA_PLATFORM=offscreen ctest -j $(JOBS) --output-on-failure

bench: build
	@for b in $(BUILD)/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

# PNG pictures of the main window's pages, of one channel page per driver
# family drawn from plausible readings and of the parameters window, under a
# virtual X display.
screenshots: build
	mkdir -p $(BUILD)/screenshots
	xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" ./$(BUILD)/tools/render_form/render_form $(BUILD)/screenshots
	xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" ./$(BUILD)/tools/render_pages/render_pages $(BUILD)/screenshots
	xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" ./$(BUILD)/tools/render_params/render_params $(BUILD)/screenshots

# The README's pictures (docs/images, committed): the program running against
# ten boards of the simulated bench, under a virtual X display.
docs-images: build
	mkdir -p docs/images
	xvfb-run -a -s "-screen 0 1600x1200x24 -dpi 96" ./$(BUILD)/tools/render_docs/render_docs docs/images

# Short bounded run of every fuzz target (clang's libFuzzer, with sanitizers).
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DLUMATREX_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	@for f in build-fuzz/tests/fuzz/fuzz_*; do [ -f "$$f" ] && [ -x "$$f" ] || continue; echo "== $$f"; \
	  mkdir -p build-fuzz/corpus/$$(basename $$f); \
	  seeds=tests/fuzz/seeds/$$(basename $$f); [ -d "$$seeds" ] || seeds=; \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus/$$(basename $$f) $$seeds || exit 1; done

# Redraw the committed pictures (images/images/*.png, images/icon.ico).
.PHONY: images
images: configure
	cmake --build $(BUILD) -j $(JOBS) --target draw_images
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/tools/draw_images/draw_images $(CURDIR)/images

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
