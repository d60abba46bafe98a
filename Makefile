# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test sanitize bench clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/photokestry

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core tests built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of their
# own; the first report of either fails the run. Leaks of other libraries are listed in
# tests/sanitizers/lsan.supp, which needs full stacks to name them.
SANITIZE_DIR ?= build-asan
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPK_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target test_core
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=10 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ./tests/test_core

bench: build
	@set -e; for b in $(BUILD_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; \
	  QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} "$$b"; \
	  case "$$b" in */bench_import) for m in jpeg bare; do echo "== $$b 10000 $$m"; \
	    QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} "$$b" 10000 $$m; done;; esac; done

clean:
	rm -rf $(BUILD_DIR)
