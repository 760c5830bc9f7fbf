// Extracts the input as an LZH archive into a fresh folder and checks that only
// plain files appeared, only inside it, with no temporary files left behind;
// then extracts one entry by name and checks that nothing else and nothing
// past the size cap was written.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/lhasa_lzh.h"

namespace fs = std::filesystem;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The names directly in folder.
std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found.insert(entry.path().filename().string());
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string pattern = (fs::temp_directory_path() / "lzh-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 0;
    // Nested, so that names climbing out of the folder would show up here.
    const fs::path root = pattern;
    const fs::path out = root / "a" / "b" / "out";
    fs::create_directories(out);
    const fs::path archive = root / "input.lzh";
    {
        std::ofstream file(archive, std::ios::binary);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    // Small entries only: a few bytes of input can claim gigabytes.
    tav::LzhResult result = tav::LhasaLzh(1 << 20).extract(archive.string(), out.string());

    check(result.ok == result.error.empty());
    check(names(root) == std::set<std::string>{"a", "input.lzh"});
    check(names(root / "a") == std::set<std::string>{"b"});
    check(names(root / "a" / "b") == std::set<std::string>{"out"});
    const std::set<std::string> listed(result.files.begin(), result.files.end());
    check(listed.size() == result.files.size());
    check(names(out) == listed);
    for (const auto& name : listed) {
        check(fs::is_regular_file(fs::symlink_status(out / name)));
    }

    // One entry by name: nothing else, and never more than the cap.
    constexpr std::uint64_t kCap = 4096;
    const fs::path only = root / "only";
    fs::create_directories(only);
    tav::LzhResult one =
        tav::LhasaLzh().extractEntry(archive.string(), only.string(), "a.csv", kCap);
    check(one.ok == one.error.empty());
    check(!one.tooLarge || !one.ok);
    check(one.files.empty() || one.files == std::vector<std::string>{"a.csv"});
    check(names(only) == std::set<std::string>(one.files.begin(), one.files.end()));
    if (!one.files.empty()) check(fs::file_size(only / "a.csv") <= kCap);

    fs::remove_all(root);
    return 0;
}
