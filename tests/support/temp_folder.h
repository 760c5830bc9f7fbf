#pragma once

#include <filesystem>
#include <string>

namespace tav::test {

// A fresh folder under the system temp directory, removed with its contents
// when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// The shared real-data folder when it exists beside the checkout (never in a
// user's clone); empty otherwise.
std::filesystem::path realDataFolder();

}  // namespace tav::test
