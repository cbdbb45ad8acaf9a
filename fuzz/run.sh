#!/usr/bin/env bash
# run.sh [seconds] [extra libFuzzer options...]: builds the settings fuzz target with clang and
# runs it for the given time (default 60 s). Not part of the CMake build or of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
out=build-fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -Isettings -Iengine -Itests/engine fuzz/IniDocumentFuzz.cpp settings/TIniDocument.cpp \
    settings/FileContent.cpp settings/EIniFileError.cpp settings/SettingKeys.cpp \
    settings/SettingsBinding.cpp engine/*.cpp -o "$out/IniDocumentFuzz"
# A few seeds so the fuzzer starts from the shapes a settings file really has.
if [ -z "$(ls -A "$out/corpus")" ]; then
    printf '[Times]\r\nCounter Interval=1000\r\nStart Time=10\r\n\r\n[Options]\r\nFont Name=Arial\r\n' \
        > "$out/corpus/seed-plain"
    printf '; note\n[colours]\nrun = 0x0000FF\nStop=$C0C0C0\n[Times]\nstart time=-5\nfree text\n[TIMES]\nx=1=2\n' \
        > "$out/corpus/seed-mixed"
    printf 'before\r[ Sound ]\r\tTiming= /m\xc3\xbcsik/a.wav \x01\n[Windows\nDisplay Maximised=2' \
        > "$out/corpus/seed-odd"
fi
exec "$out/IniDocumentFuzz" "$out/corpus" -max_total_time="$seconds" -timeout=10 \
    -max_len=65536 -print_final_stats=1 "$@"
