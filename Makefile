# The two commands: `make run` starts the player, `make test` runs every test.
BUILD ?= build
JOBS ?= 2
FUZZ_SECONDS ?= 180

.PHONY: all setup build run test test-asan fuzz bench soak soak-lsan clean

all: build

setup:
	@tools/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	tools/run.sh

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVRO_SANITIZE=ON
	cmake --build build-asan -j$(JOBS)
	# Qt WebEngine's own Chromium code frees with a mismatched size: not ours to fix.
	# One test at a time: the sanitizers slow the end-to-end runs past their waits otherwise.
	cd build-asan && ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 ctest --output-on-failure -j1

# libFuzzer targets for every reader of outside bytes, FUZZ_SECONDS each.
fuzz: setup
	@tools/setup.sh clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_FUZZ=ON \
	  -DBUILD_TESTING=OFF -DKAVRO_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build build-fuzz -j$(JOBS) --target fuzz_bmp fuzz_png fuzz_jpeg fuzz_form
	for t in bmp png jpeg form; do cmake --build build-fuzz --target run_fuzz_$$t || exit 1; done

# Benchmarks, each figure beside its reference measured in the same run.
bench: setup
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-bench -j$(JOBS)
	tests/with-xvfb.sh build-bench/bench/bench_startup 31
	QT_QPA_PLATFORM=offscreen build-bench/bench/bench_gauge
	tests/with-xvfb.sh build-bench/bench/bench_playback
	tests/with-xvfb.sh build-bench/bench/bench_memory

# Soak: 500 open/play/stop cycles over good and bad files, then ten minutes of
# playback with the progress tick; prints memory and file descriptors as it goes.
soak: setup
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-bench -j$(JOBS) --target bench_soak
	QT_QPA_PLATFORM=offscreen build-bench/bench/bench_soak 500 600

# The 500 open/play/stop cycles under AddressSanitizer with leak detection:
# any memory the program loses is reported when it ends, and fails the run.
soak-lsan: setup
	cmake -S . -B build-lsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_SANITIZE=ON -DKAVRO_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build build-lsan -j$(JOBS) --target bench_soak
	ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0:fast_unwind_on_malloc=0 LSAN_OPTIONS=suppressions=$(CURDIR)/bench/lsan.supp:print_suppressions=1 \
	  QT_QPA_PLATFORM=offscreen build-lsan/bench/bench_soak 500 0

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench build-lsan
