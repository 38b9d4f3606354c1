# Lumacite: make run | make test | make bench | make build | make sanitize | make fuzz
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# make sanitize: the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_DIR ?= build-sanitize
# make fuzz: each libFuzzer harness of tests/fuzz for FUZZ_TIME seconds (clang).
FUZZ_DIR ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ_TARGETS = txt_extractor xml_extractor dbase_reader input_decoding

.PHONY: all bootstrap configure build run test bench screenshots format clean sanitize fuzz scale compare

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: bootstrap $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/lumacite $(ARGS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen LUMACITE_NO_SPLASH=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600

$(SANITIZE_DIR)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMACITE_SANITIZE=ON \
		-DLUMACITE_BUILD_BENCH=OFF $(CMAKE_FLAGS)

sanitize: bootstrap $(SANITIZE_DIR)/CMakeCache.txt
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen LUMACITE_NO_SPLASH=1 \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 1200

$(FUZZ_DIR)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DLUMACITE_FUZZ=ON -DLUMACITE_BUILD_GUI=OFF -DLUMACITE_BUILD_TESTS=OFF \
		-DLUMACITE_BUILD_BENCH=OFF $(CMAKE_FLAGS)

# New inputs that add coverage go to $(FUZZ_DIR)/corpus/<target>; an input that breaks a
# property or crashes is kept in $(FUZZ_DIR)/found/<target>/ (copy it into
# tests/fuzz/corpus/<target>/ as regression-<what>, so the suite runs it from then on).
fuzz: bootstrap $(FUZZ_DIR)/CMakeCache.txt
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/found/$$t; \
		echo "== fuzz_$$t, $(FUZZ_TIME) s"; \
		$(FUZZ_DIR)/bin/fuzz_$$t -max_total_time=$(FUZZ_TIME) -max_len=16384 -timeout=10 \
			-rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/found/$$t/ \
			$(FUZZ_DIR)/corpus/$$t tests/fuzz/corpus/$$t > $(FUZZ_DIR)/fuzz_$$t.log 2>&1; \
		status=$$?; \
		grep -E "^Done|stat::number_of_executed_units|ERROR|property does not hold" \
			$(FUZZ_DIR)/fuzz_$$t.log; \
		if [ $$status -ne 0 ]; then \
			echo "fuzz_$$t found a fault: $(FUZZ_DIR)/fuzz_$$t.log, $(FUZZ_DIR)/found/$$t/"; \
			exit 1; \
		fi; \
	done

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

# The whole chain through lumacite-cli on 100,000-article corpora (bench/scale.sh).
scale: build
	bench/scale.sh $(BUILD_DIR)

# lumacite-cli against the same chain in Python (bench/peer_baseline.py) on one corpus.
compare: build
	bench/compare.sh $(BUILD_DIR)

screenshots: build
	cmake --build $(BUILD_DIR) --target screenshots -j $(JOBS)
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/tools/screenshots $(BUILD_DIR)/screenshots

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
