// Load, save and write times of settings files far larger than the program ever writes: a file
// with hundreds of thousands of keys and sections, and one whose few lines are megabytes long.
// A load must stay well under a second for both.

#include "SettingKeys.hpp"
#include "TIniDocument.hpp"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace quorvane;

namespace {

// About 8.7 MB: the program's six sections with every key, then 8000 sections of 20 keys each,
// one section name repeated so that the last-occurrence rule is exercised too.
const std::string& ManyKeysFile() {
    static const std::string file = [] {
        TIniDocument document;
        for (const SettingKey& key : SettingKeys()) {
            document.WriteString(key.Section, key.Key, "0");
        }
        std::string text = document.SaveToBytes();
        for (int section = 0; section < 8000; ++section) {
            text += "[Extra Section " + std::to_string(section % 7999) + "]\r\n";
            for (int key = 0; key < 20; ++key) {
                text += "Some Key Name " + std::to_string(key) + " = a value of moderate length " +
                        std::to_string(section * 20 + key) + "\r\n";
            }
            text += "\r\n";
        }
        return text;
    }();
    return file;
}

// About 8 MB in five lines: a 3 MB value, a 2 MB key, a 2 MB line without "=" and a 1 MB
// section name.
const std::string& LongLinesFile() {
    static const std::string file = "[Options]\r\nFont Name=" + std::string(3'000'000, 'v') +
                                    "\r\n" + std::string(2'000'000, 'k') + "=1\r\n" +
                                    std::string(2'000'000, 't') + "\r\n[" +
                                    std::string(1'000'000, 's') + "]\r\nx=1\r\n";
    return file;
}

const std::string& FileOf(int which) {
    return which == 0 ? ManyKeysFile() : LongLinesFile();
}
const char* NameOf(int which) {
    return which == 0 ? "many keys" : "long lines";
}

void LoadFromBytes(benchmark::State& state) {
    const std::string& file = FileOf(static_cast<int>(state.range(0)));
    state.SetLabel(std::string(NameOf(static_cast<int>(state.range(0)))) + ", " +
                   std::to_string(file.size() / 1000) + " kB");
    for (auto _ : state) {
        TIniDocument document = TIniDocument::FromBytes(file);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(LoadFromBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void LoadFromFile(benchmark::State& state) {
    const std::string& file = FileOf(static_cast<int>(state.range(0)));
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("quorvane-bench-" + std::to_string(::getpid()) + ".ini"))
                                 .string();
    std::ofstream(path, std::ios::binary) << file;
    state.SetLabel(NameOf(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        TIniDocument document = TIniDocument::FromFile(path);
        benchmark::DoNotOptimize(document);
    }
    std::remove(path.c_str());
}
BENCHMARK(LoadFromFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void SaveToBytes(benchmark::State& state) {
    const TIniDocument document = TIniDocument::FromBytes(FileOf(static_cast<int>(state.range(0))));
    state.SetLabel(NameOf(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(document.SaveToBytes());
    }
}
BENCHMARK(SaveToBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What a save does to a large file: every key of the table read and written once.
void ReadAndWriteEveryKey(benchmark::State& state) {
    TIniDocument document = TIniDocument::FromBytes(ManyKeysFile());
    for (auto _ : state) {
        for (const SettingKey& key : SettingKeys()) {
            document.WriteInteger(key.Section, key.Key,
                                  document.ReadInteger(key.Section, key.Key, 0) + 1);
        }
    }
}
BENCHMARK(ReadAndWriteEveryKey)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
