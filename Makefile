# Ostrevo: the two commands of the README, and a few more for developers.
#   make test   installs what is missing, builds (with AddressSanitizer and UBSan) and runs every test
#   make run    installs what is missing, builds and starts Ostrevo
#   make bench  builds optimised and runs the benchmarks
#   make install  builds optimised and installs Ostrevo with its desktop entry, icon and file type
#                 (PREFIX=/usr/local by default; DESTDIR for packaging)

JOBS        ?= $(shell nproc)
TEST_DIR    ?= build
RELEASE_DIR ?= build-release
CMAKE_FLAGS ?=
PREFIX      ?= /usr/local

.PHONY: all deps test run bench build-test build-release install fuzz clean

all: build-release

deps:
	@bash scripts/install-deps

build-test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DOSTREVO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(TEST_DIR) -j $(JOBS)

test: build-test
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

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
	fi

bench: build-release
	@for b in $(RELEASE_DIR)/bench/bench_*; do \
		[ -x "$$b" ] || continue; echo "== $$b"; "$$b" --benchmark_min_time=0.2 || exit 1; \
	done

clean:
	rm -rf $(TEST_DIR) $(RELEASE_DIR) build-fuzz
