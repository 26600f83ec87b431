# Ostrevo: the two commands of the README, and a few more for developers.
#   make test   installs what is missing, builds (with AddressSanitizer and UBSan) and runs every test
#   make run    installs what is missing, builds and starts Ostrevo
#   make bench  builds optimised and runs the benchmarks
#   make soak   builds the soak (sanitized, in $(TEST_DIR)) and drives the windows at random for
#               SOAK_SECONDS (600 by default); a failure is shortened and kept in soak-failures/
#   make fuzz   builds the readers' fuzz targets with clang and runs each for FUZZ_SECONDS
#   make install  builds optimised and installs ostrevo and ostrevo-cli with the desktop entry,
#                 icons, file types, metainfo, manual pages and completions
#                 (PREFIX=/usr/local by default; DESTDIR for staging)
#   make package  builds optimised and makes a Debian package in $(RELEASE_DIR) with CPack

JOBS        ?= $(shell nproc)
TEST_DIR    ?= build
RELEASE_DIR ?= build-release
CMAKE_FLAGS ?=
PREFIX      ?= /usr/local
SOAK_SECONDS ?= 600
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= backup native opml markdown plaintext org

.PHONY: all deps test-deps test run bench build-test build-release install package fuzz soak clean

all: build-release

deps:
	@bash scripts/install-deps

test-deps:
	@bash scripts/install-deps --tests

build-test: test-deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DOSTREVO_SANITIZE=ON -DOSTREVO_SHARED_TEST_LIBS=ON $(CMAKE_FLAGS)
	cmake --build $(TEST_DIR) -j $(JOBS)

test: build-test
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# Random seeds until SOAK_SECONDS are up; prints the actions run, and on a failure the seed, the
# shortened steps and the invariant that broke (copy the steps file into
# tests/app/soak/regressions/ once the fault is fixed, so that make test replays it).
soak: test-deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DOSTREVO_SANITIZE=ON -DOSTREVO_SHARED_TEST_LIBS=ON $(CMAKE_FLAGS)
	cmake --build $(TEST_DIR) -j $(JOBS) --target ostrevo_soak
	cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
		QT_LOGGING_RULES='com.kestrum-software.ostrevo.*.info=false' \
		./tests/app/ostrevo_soak --seconds $(SOAK_SECONDS) --failures soak-failures

build-release: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DOSTREVO_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build-release
	@if [ -x $(RELEASE_DIR)/app/ostrevo ]; then \
		exec $(RELEASE_DIR)/app/ostrevo; \
	else \
		echo "Ostrevo was not built: Qt 6 was not found (see the cmake output above)."; exit 1; \
	fi

install: build-release
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ]; then \
		command -v update-mime-database >/dev/null && update-mime-database $(PREFIX)/share/mime || true; \
		command -v update-desktop-database >/dev/null && update-desktop-database $(PREFIX)/share/applications || true; \
		command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor || true; \
	fi

package: build-release
	cd $(RELEASE_DIR) && cpack -G DEB

bench: build-release
	@for b in $(RELEASE_DIR)/bench/bench_*; do \
		[ -x "$$b" ] || continue; echo "== $$b"; "$$b" --benchmark_min_time=0.2 || exit 1; \
	done

# New inputs go to $(FUZZ_DIR)/corpus/<target>, crashes to $(FUZZ_DIR)/artifacts/<target>;
# copy a crash into fuzz/regressions/<target>/ once fixed, so the tests replay it.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DOSTREVO_BUILD_FUZZ=ON -DOSTREVO_BUILD_TESTS=OFF -DOSTREVO_BUILD_BENCH=OFF \
		-DOSTREVO_BUILD_APP=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
		case $$t in opml) dict=opml ;; markdown|plaintext|org) dict= ;; *) dict=json ;; esac; \
		mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/artifacts/$$t; \
		echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
		$(FUZZ_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
			-max_len=65536 -print_final_stats=1 $${dict:+-dict=fuzz/dict/$$dict.dict} \
			-artifact_prefix=$(FUZZ_DIR)/artifacts/$$t/ \
			$(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

clean:
	rm -rf $(TEST_DIR) $(RELEASE_DIR) $(FUZZ_DIR)
