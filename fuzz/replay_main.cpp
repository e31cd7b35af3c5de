// The stand-in for libFuzzer's engine in the g++ build, which has none: runs
// a target over the files given (a folder: each file in it, in name order),
// each as it is and, with --mutations=N, as N variants of it made by a
// seeded generator, so the same command line always tries the same inputs.
// A crash, a sanitizer report or an escaped exception ends the run as it
// would end a fuzzing run, and the input that caused it is written to
// crash-<target>-<file>-<variant> in the current folder.
//
//   fuzz_<target> [--mutations=N] PATH...
//
// Options of libFuzzer (-name=value) are accepted and ignored, so a crash
// file that libFuzzer wrote replays with the line it printed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <exception>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
// Only a sanitizer runtime defines it: weak, so a build without one links
// and simply has no report to hook.
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)(void));

namespace
{

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Bytes that end fields, numbers and markup early, or are not text at all.
constexpr std::string_view kHostileBytes{"\0\xff\x80\"'<>&=/\\-9.eE:[]{},\r\n \t", 27};

// The input being run, for the crash file.
const Bytes* g_current = nullptr;
std::string g_currentName;

void lf_saveCurrent()
{
    if (g_current == nullptr)
        return;
    const Bytes* input = g_current;
    g_current = nullptr;
    std::ofstream out(g_currentName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(input->data()), static_cast<std::streamsize>(input->size()));
    std::fprintf(stderr, "\nthe failing input was written to %s\n", g_currentName.c_str());
}

Bytes lf_read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void lf_run(const Bytes& input, std::string name)
{
    g_current = &input;
    g_currentName = std::move(name);
    // A copy of exactly the input's size, so that a read past its end is
    // reported (libFuzzer does the same).
    const auto copy = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(input.size(), 1));
    std::copy(input.begin(), input.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), input.size());
    g_current = nullptr;
}

std::size_t lf_below(std::mt19937_64& random, std::size_t bound)
{
    return bound == 0 ? 0 : static_cast<std::size_t>(random() % bound);
}

// One small change of the kind that breaks parsers: a cut, a byte changed,
// removed or inserted, a piece repeated, a digit run made long.
Bytes lf_mutate(Bytes input, std::mt19937_64& random)
{
    const std::size_t at = lf_below(random, input.size() + 1);
    const auto hostile = static_cast<std::uint8_t>(kHostileBytes[lf_below(random, kHostileBytes.size())]);
    switch (random() % 7)
    {
    case 0:
        input.resize(at);
        break;
    case 1:
        if (at < input.size())
            input[at] = hostile;
        break;
    case 2:
        if (at < input.size())
            input[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        break;
    case 3:
        if (at < input.size())
            input.erase(input.begin() + static_cast<std::ptrdiff_t>(at));
        break;
    case 4:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), hostile);
        break;
    case 5:
    {
        const std::size_t length = std::min<std::size_t>(lf_below(random, 64) + 1, input.size() - at);
        const Bytes piece(input.begin() + static_cast<std::ptrdiff_t>(at),
                          input.begin() + static_cast<std::ptrdiff_t>(at + length));
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), piece.begin(), piece.end());
        break;
    }
    default:
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), 24, static_cast<std::uint8_t>('9'));
        break;
    }
    return input;
}

std::vector<fs::path> lf_files(const fs::path& path)
{
    std::vector<fs::path> files;
    if (fs::is_directory(path))
    {
        for (const fs::directory_entry& entry : fs::directory_iterator(path))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    }
    else
    {
        files.push_back(path);
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (__sanitizer_set_death_callback != nullptr)
        __sanitizer_set_death_callback(&lf_saveCurrent);
    std::set_terminate(
        []
        {
            lf_saveCurrent();
            std::abort();
        });
    const std::string target = fs::path(argv[0]).filename().string();
    // Targets may change the current folder; crash files go where the run began.
    const fs::path startFolder = fs::current_path();
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize(&argc, &argv);
    long mutations = 0;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--mutations="))
        {
            mutations = std::strtol(argv[i] + arg.find('=') + 1, nullptr, 10);
            continue;
        }
        if (arg.starts_with("-"))
            continue;
        if (!fs::exists(arg))
        {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 2;
        }
        for (fs::path& file : lf_files(fs::absolute(arg)))
            files.push_back(std::move(file));
    }
    if (files.empty())
    {
        std::fprintf(stderr, "usage: %s [--mutations=N] FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    std::size_t runs = 0;
    for (const fs::path& file : files)
    {
        const Bytes seed = lf_read(file);
        const std::string stem = (startFolder / ("crash-" + target + "-" + file.filename().string())).string();
        lf_run(seed, stem);
        ++runs;
        // Seeded by the file's name, so each file always gets its own variants.
        std::mt19937_64 random(std::hash<std::string>{}(file.filename().string()));
        for (long k = 0; k < mutations; ++k, ++runs)
        {
            const Bytes variant = lf_mutate(seed, random);
            lf_run(variant, stem + "-" + std::to_string(k));
        }
    }
    std::printf("%zu inputs from %zu files ran\n", runs, files.size());
    return 0;
}
