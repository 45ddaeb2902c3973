# The two commands of the README: `make test` and `make demo`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMBRIX_WERROR=ON

.PHONY: all deps configure build test demo bench sanitize clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*_bench; do $$b; done
	@bench/service-load.sh $(BUILD)

# AddressSanitizer and UndefinedBehaviorSanitizer in a build tree of their own.
sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan \
	  CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DLUMBRIX_WERROR=ON -DLUMBRIX_SANITIZE=ON"

clean:
	rm -rf $(BUILD) build-asan
