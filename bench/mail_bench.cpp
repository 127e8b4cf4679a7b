// Composing mail: a phone-sized and a camera-sized attachment, and wrapping a long text.
#include "mail/mime_mail.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string WriteTempFile(size_t bytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("mokoa-bench-" + std::to_string(bytes)))
            .string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t i = 0; i < bytes; ++i)
        out.put(char((i * 2654435761u) >> 24));
    return path;
}

void BM_FormatImageMail(benchmark::State& state) {
    const size_t bytes = size_t(state.range(0));
    const std::string path = WriteTempFile(bytes);
    for (auto _ : state) {
        CMimeMail mail;
        mail.from = "me@example.com";
        mail.body = "本文を入力してください";
        mail.AddRecipients("phone@example.com", RECIPIENT_TO);
        mail.AddPart(path, PART_JPEG, "");
        mail.FormatMessage();
        benchmark::DoNotOptimize(mail.body.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    std::remove(path.c_str());
}
BENCHMARK(BM_FormatImageMail)->Arg(7000)->Arg(3 << 20)->Unit(benchmark::kMicrosecond);

void BM_WrapText(benchmark::State& state) {
    std::string text;
    while (text.size() < size_t(state.range(0)))
        text += "word ";
    for (auto _ : state)
        benchmark::DoNotOptimize(WrapText(text, 76));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_WrapText)->Arg(4 << 10)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
