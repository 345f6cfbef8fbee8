# Everyday targets; ./run.sh and ./test.sh do the same and install what is missing first.
.PHONY: build test run bench fuzz sanitize format clean package windows soak reproducible screenshots

build:
	cmake --preset default >/dev/null
	cmake --build --preset default

test: build
	QT_QPA_PLATFORM=offscreen ctest --preset default

run: build
	./build/bin/keymint

bench: build
	./bench/run.sh

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize.
sanitize:
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize

# 300 stops of the window by signal beside batches, over a million records.
soak: build
	tests/program/soak.sh build/bin/keymint 300 1000000

# FUZZ_SECONDS per target (default 300).
fuzz:
	fuzz/run.sh ini $${FUZZ_SECONDS:-300}
	fuzz/run.sh registry $${FUZZ_SECONDS:-300}

# Cross-builds the Windows program: dist/keymint-<version>-windows-x64.zip, the installer
# dist/keymint-<version>-windows-x64-setup.exe and its winget manifest.
windows:
	./scripts/windows.sh

# Builds the zip, the installer, the .deb and the archive twice from nothing and compares them
# byte for byte.
reproducible:
	./scripts/reproducible.sh

# dist/keymint_<version>_amd64.deb and dist/keymint-<version>-linux-x86_64.tar.gz
package:
	./scripts/package.sh

# docs/screenshot-<scale>.png and docs/screenshot-windows-<scale>.png at 100, 150 and 200 %.
screenshots:
	./scripts/screenshot.sh
	./scripts/screenshot-windows.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-fuzz build-wine build-windows build-sanitize build-reproducible dist
