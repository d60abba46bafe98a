# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

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

bench: build
	@set -e; for b in $(BUILD_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; \
	  QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} "$$b"; \
	  case "$$b" in */bench_import) for m in jpeg bare; do echo "== $$b 10000 $$m"; \
	    QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} "$$b" 10000 $$m; done;; esac; done

clean:
	rm -rf $(BUILD_DIR)
