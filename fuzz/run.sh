#!/usr/bin/env bash
# run.sh [target] [seconds] [extra libFuzzer options...]: builds a fuzz target with clang and
# runs it for the given time (default 60 s). Targets: IniDocumentFuzz (the settings document,
# the default) and AudioFileReaderFuzz (the audio file reader). Not part of the CMake build or
# of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
target=IniDocumentFuzz
case ${1:-} in
  IniDocumentFuzz|AudioFileReaderFuzz) target=$1; shift ;;
  ''|[0-9]*) ;;
  *) echo "unknown fuzz target: $1 (IniDocumentFuzz or AudioFileReaderFuzz)" >&2; exit 2 ;;
esac
seconds=${1:-60}
shift || true
out=build-fuzz
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
extra=()

case $target in
IniDocumentFuzz)
  corpus=$out/corpus
  mkdir -p "$corpus"
  clang++ "${flags[@]}" \
      -Isettings -Iengine -Itests/engine fuzz/IniDocumentFuzz.cpp settings/TIniDocument.cpp \
      settings/FileContent.cpp settings/EIniFileError.cpp settings/SettingKeys.cpp \
      settings/SettingsBinding.cpp engine/*.cpp -o "$out/IniDocumentFuzz"
  # A few seeds so the fuzzer starts from the shapes a settings file really has.
  if [ -z "$(ls -A "$corpus")" ]; then
      printf '[Times]\r\nCounter Interval=1000\r\nStart Time=10\r\n\r\n[Options]\r\nFont Name=Arial\r\n' \
          > "$corpus/seed-plain"
      printf '; note\n[colours]\nrun = 0x0000FF\nStop=$C0C0C0\n[Times]\nstart time=-5\nfree text\n[TIMES]\nx=1=2\n' \
          > "$corpus/seed-mixed"
      printf 'before\r[ Sound ]\r\tTiming= /m\xc3\xbcsik/a.wav \x01\n[Windows\nDisplay Maximised=2' \
          > "$corpus/seed-odd"
  fi
  max_len=65536
  ;;
AudioFileReaderFuzz)
  corpus=$out/corpus-audio
  mkdir -p "$corpus"
  read -r -a sndfile <<< "$(pkg-config --cflags --libs sndfile)"
  clang++ "${flags[@]}" -Isound fuzz/AudioFileReaderFuzz.cpp sound/TcbAudioFileReader.cpp \
      "${sndfile[@]}" -o "$out/AudioFileReaderFuzz"
  # Seeds in every container and encoding libsndfile writes, so that mutation starts from
  # real headers.
  if [ -z "$(ls -A "$corpus")" ]; then
      clang++ -std=c++20 -O1 -Itests/sound fuzz/AudioFuzzSeeds.cpp "${sndfile[@]}" \
          -o "$out/AudioFuzzSeeds"
      "$out/AudioFuzzSeeds" "$corpus"
  fi
  max_len=16384
  # libsndfile is not instrumented, so a seed of a container the reader's own code handles no
  # differently would drop out of the rotation; keep them all, and give the fuzzer the tags.
  extra=(-keep_seed=1 -dict=fuzz/AudioFileReaderFuzz.dict)
  ;;
esac

exec "$out/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -max_len="$max_len" \
    -print_final_stats=1 "${extra[@]}" "$@"
