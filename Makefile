# The two commands of the README: `make test` and `make demo`.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMBRIX_WERROR=ON

.PHONY: all deps configure build test demo bench sanitize fuzz clean

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
sanitize: export LSAN_OPTIONS = suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0
sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan \
	  CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DLUMBRIX_WERROR=ON -DLUMBRIX_SANITIZE=ON"

# The fuzz targets with libFuzzer (clang), in a build tree of their own;
# run one with e.g. build-fuzz/fuzz/authcode_fuzz fuzz/corpus/authcode.
fuzz: deps
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DLUMBRIX_FUZZ=ON -DLUMBRIX_SANITIZE=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target authcode_fuzz formbody_fuzz webheaders_fuzz codepage_fuzz json_fuzz

clean:
	rm -rf $(BUILD) build-asan build-fuzz
